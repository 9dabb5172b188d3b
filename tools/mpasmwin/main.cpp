// MpasmWin: assembles a PIC18 source with gputils' gpasm, taking the classic assembler's
// options (/e+ /l+ /x- /w2 /c- /m+ /q /pPROC /dSYM=VAL, the source last), and leaves the
// listing as <base>.LST beside the source in the layout the optimiser reads. Exits with
// gpasm's exit code.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process.h"
#include "tools/mpasmwin/assembler_options.h"
#include "tools/mpasmwin/listing_layout.h"

namespace {

constexpr int GpasmMissing = 127;

// gpasm is a public tool found like any command; only the optimiser's own call of this
// program avoids the search.
std::string FindGpasm() {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    // An empty entry of PATH stands for the current folder.
    const std::string folder = end > start ? folders.substr(start, end - start) : std::string(".");
    const std::string candidate = folder + "/gpasm";
    struct stat info;
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return std::string();
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  text = content.str();
  return !in.bad();
}

// Written beside the target and renamed over it, so a reader never sees half a listing.
bool WriteWholeFile(const std::string& path, const std::string& text) {
  const std::string temp = path + ".mpasmwin-tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) {
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

// gpasm wrote <base>.lst; the listing belongs in <base>.LST (or the file of that name in
// another letter case that is already there), arranged for the listing readers.
// `target` was chosen before gpasm ran, so that gpasm's own <base>.lst does not count as
// an existing listing.
bool PlaceListing(const AssemblerOptions& options, const std::string& target) {
  const std::string gpasmListing = BaseNameOf(SourceArgument(options)) + ".lst";
  std::string text;
  if (!ReadWholeFile(gpasmListing, text)) return true;  // gpasm stopped before writing one
  if (!options.listing) return std::remove(gpasmListing.c_str()) == 0;
  if (!WriteWholeFile(target, ArrangeListing(text, !options.caseSensitive))) {
    std::fprintf(stderr, "MpasmWin: cannot write the listing %s\n", target.c_str());
    return false;
  }
  if (target != gpasmListing) std::remove(gpasmListing.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  AssemblerOptions options;
  if (!ParseAssemblerOptions(std::vector<std::string>(argv + 1, argv + argc), options)) {
    std::fprintf(stderr, "usage: MpasmWin [/e+|-] [/l+|-] [/wN] [/c+|-] [/m+|-] [/q] [/pPROC] [/dSYM=VAL] source\n");
    return 2;
  }
  const std::string gpasm = FindGpasm();
  if (gpasm.empty()) {
    std::fprintf(stderr, "MpasmWin: gpasm not found; install gputils (Debian/Ubuntu: apt-get install gputils)\n");
    return GpasmMissing;
  }
  const std::string target = ListingPathFor(BaseNameOf(SourceArgument(options)));
  // gpasm reports on standard output; our messages all go to standard error.
  const ProcessResult result =
      RunProcess(gpasm, GpasmArguments(options), {ProcessOptions::Output::ToStandardError, {}});
  if (result.ending != ProcessResult::Ending::Exited) {
    std::fprintf(stderr, "MpasmWin: %s\n", DescribeEnding(gpasm, result).c_str());
    return result.ending == ProcessResult::Ending::Signalled ? 128 + result.code : GpasmMissing;
  }
  // The listing is arranged whether or not the assembly succeeded: its error lines are
  // what the user reads.
  const bool placed = PlaceListing(options, target);
  if (result.code != 0) return result.code;
  return placed ? 0 : 1;
}
