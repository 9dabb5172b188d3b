#include "listing/listing_tidy.h"

#include <string>
#include <string_view>
#include <vector>

#include "listing/scanner.h"
#include "listing/text_file.h"
#include "listing/working_state.h"
#include "platform/vcl.h"

namespace {

// The compiler's markers stand at the start of the source text, column 29 of a listing line.
constexpr std::uint32_t SourceColumn = 29;
// The processor directive " LIST  P=..." (LIST one blank into the source text).
constexpr std::uint32_t ProcessorDirectiveColumn = 30;
// LIST as a first word anywhere up to here is a listing-control line.
constexpr std::uint32_t LastListControlColumn = 32;

enum class TidyVerdict { Take, Drop, StartOfBlock, VariableListing, EndListing };

// Upper case for comparing and for writing; unlike the reader, the line keeps its trailing
// blanks and control characters.
std::string UpperCopy(std::string_view line) {
  std::string upper(line);
  for (char& c : upper) c = UpperAscii(c);
  return upper;
}

bool IsEmptyOrControlStart(std::string_view raw) {
  if (raw.empty()) return true;
  const unsigned char first = static_cast<unsigned char>(raw.front());
  return first < 32 || first >= 128;
}

// The rules in their order; the first that applies decides.
TidyVerdict JudgeTidyLine(std::string_view raw, std::string_view upper) {
  if (FindWord(";[START@OF@BLOCK]", upper) == SourceColumn) return TidyVerdict::StartOfBlock;
  if (IsEmptyOrControlStart(raw)) return TidyVerdict::Drop;
  if (FindText("LIST  P", upper) == ProcessorDirectiveColumn) return TidyVerdict::Take;
  if (FindWord("MPASM", upper) == 1) return TidyVerdict::Drop;
  if (FindWord(";[START@OF@DELETE@BLOCKL]", upper) == SourceColumn) return TidyVerdict::Drop;
  if (FindWord(";[END@OF@DELETE@BLOCKL]", upper) == SourceColumn) return TidyVerdict::Drop;
  if (FindWord("LOC", upper) == 1) return TidyVerdict::Drop;
  if (FindWord("VALUE", upper) == 3) return TidyVerdict::Drop;
  if (FindWord("MESSAGE[308]:", upper) == 1) return TidyVerdict::Drop;
  const std::uint32_t list = FindWord("LIST", upper);
  if (list >= 1 && list <= LastListControlColumn) return TidyVerdict::Drop;
  if (FindWord("ASM@END@", upper) == SourceColumn) return TidyVerdict::Drop;
  if (FindText(";[VARIABLE LISTING]", upper) == SourceColumn) return TidyVerdict::VariableListing;
  if (FindText(";[END LISTING]", upper) == SourceColumn) return TidyVerdict::EndListing;
  return TidyVerdict::Take;
}

// Reads one line into LineBuffer; false when the read met the end of the file, whose text
// the tidy-up does not handle.
bool ReadTidyLine(ListingFileReader& reader, std::string& raw) {
  const bool lineFeedEnded = reader.ReadLine(raw);
  SetLineBuffer(raw);
  return lineFeedEnded;
}

// Drops the lines of a block up to and including its end marker. False when the file
// ended first: a block that is never closed takes the rest of the listing with it.
bool SkipBlock(ListingFileReader& reader, std::string& raw) {
  while (ReadTidyLine(reader, raw))
    if (FindWord(";[END@OF@BLOCK]", UpperCopy(raw)) == SourceColumn) return true;
  return false;
}

bool ReadTidiedLines(ListingFileReader& reader, std::vector<std::string>& output) {
  std::string raw;
  while (ReadTidyLine(reader, raw)) {
    std::string upper = UpperCopy(raw);
    switch (JudgeTidyLine(raw, upper)) {
      case TidyVerdict::StartOfBlock:
        if (!SkipBlock(reader, raw)) return !reader.Failed();
        break;
      case TidyVerdict::Drop:
        break;
      case TidyVerdict::VariableListing:
        output.emplace_back(";[Variable Listing]");
        break;
      case TidyVerdict::EndListing:
        output.emplace_back(";[End Listing]");
        break;
      case TidyVerdict::Take:
        output.push_back(std::move(upper));
        break;
    }
  }
  return !reader.Failed();
}

bool WriteTidiedLines(const std::vector<std::string>& output) {
  TextFileWriter writer;
  if (!writer.Open(ListingFileName)) return false;
  for (const std::string& line : output) writer.WriteLine(line);
  return writer.Commit();
}

}  // namespace

bool TidyListing() {
  try {
    std::vector<std::string> output;
    if (!FileExists(ListingFileName)) return false;
    {
      // The listing is read whole and closed before the same name is written again.
      ListingFileReader reader;
      if (!reader.Open(ListingFileName)) return false;
      if (!ReadTidiedLines(reader, output)) return false;
    }
    Application.ProcessMessages();
    if (!WriteTidiedLines(output)) return false;
    Application.ProcessMessages();
    return true;
  } catch (...) {
    return false;
  }
}
