#include "tools/mpasmwin/listing_layout.h"

#include <dirent.h>

#include <cstring>
#include <vector>

#include "listing/text_file.h"

namespace {

constexpr char FormFeed = '\f';

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

char UpperAsciiChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperAsciiChar(a[i]) != UpperAsciiChar(b[i])) return false;
  return true;
}

// gpasm's page heading: "gpasm-<version> ... <source> <date> <time> PAGE <n>". Every page
// but the first begins with a form feed; the first page's heading, and with paging off
// (N = 0) the heading in front of the symbol table, come without one.
bool IsPageHeading(std::string_view line) {
  if (!line.empty() && line[0] == FormFeed) line.remove_prefix(1);
  if (!StartsWith(line, "gpasm-")) return false;
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  std::size_t digits = 0;
  while (digits < line.size() && line[line.size() - 1 - digits] >= '0' && line[line.size() - 1 - digits] <= '9')
    ++digits;
  if (digits == 0) return false;
  line.remove_suffix(digits);
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  return line.size() >= 5 && line.substr(line.size() - 5) == " PAGE";
}

// A symbol line holds the name as its first word. The listing readers look the upper-cased
// labels of the program lines up in the table with an exact comparison, so with a
// case-insensitive assembly the names must be upper case as well.
void UpperCaseFirstWord(std::string& line) {
  for (char& c : line) {
    if (c == ' ' || c == '\t') break;
    c = UpperAsciiChar(c);
  }
}

}  // namespace

std::string ArrangeListing(std::string_view gpasmListing, bool upperCaseSymbols) {
  std::string out;
  out.reserve(gpasmListing.size() + 64);
  // gpasm repeats the "SYMBOL TABLE" heading on every page after the first of the table,
  // the pages of the memory map included; only the first "MEMORY USAGE MAP" ends the table.
  enum class Section { Program, SymbolTable, MemoryMap } section = Section::Program;
  while (!gpasmListing.empty()) {
    const std::size_t lf = gpasmListing.find('\n');
    const std::size_t length = lf == std::string_view::npos ? gpasmListing.size() : lf + 1;
    std::string line(gpasmListing.substr(0, length));
    gpasmListing.remove_prefix(length);

    if (IsPageHeading(line)) {
      if (line[0] != FormFeed) line.insert(line.begin(), FormFeed);
    } else if (section == Section::Program && StartsWith(line, "SYMBOL TABLE")) {
      section = Section::SymbolTable;
    } else if (section == Section::SymbolTable && StartsWith(line, "MEMORY USAGE MAP")) {
      section = Section::MemoryMap;
    } else if (section == Section::SymbolTable && upperCaseSymbols) {
      UpperCaseFirstWord(line);
    }
    out += line;
  }
  return out;
}

std::string ListingPathFor(const std::string& base) {
  const std::string exact = base + ".LST";
  if (FileExists(exact)) return exact;
  const std::size_t slash = base.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : base.substr(0, slash));
  const std::string wanted = (slash == std::string::npos ? base : base.substr(slash + 1)) + ".LST";
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return exact;
  std::string found;
  while (const dirent* entry = ::readdir(dir)) {
    if (SameIgnoringCase(entry->d_name, wanted)) {
      found = base.substr(0, slash == std::string::npos ? 0 : slash + 1) + entry->d_name;
      if (FileExists(found)) break;
      found.clear();
    }
  }
  ::closedir(dir);
  return found.empty() ? exact : found;
}
