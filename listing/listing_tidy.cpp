#include "listing/listing_tidy.h"

#include <string>
#include <string_view>

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
void UpperCopy(std::string_view line, std::string& upper) {
  upper.assign(line);
  UpperAsciiInPlace(upper);
}

bool IsEmptyOrControlStart(std::string_view raw) {
  if (raw.empty()) return true;
  const unsigned char first = static_cast<unsigned char>(raw.front());
  return first < 32 || first >= 128;
}

// The rules in their order; the first that applies decides.
TidyVerdict JudgeTidyLine(std::string_view raw, std::string_view upper) {
  if (FindWordIs(";[START@OF@BLOCK]", upper, SourceColumn)) return TidyVerdict::StartOfBlock;
  if (IsEmptyOrControlStart(raw)) return TidyVerdict::Drop;
  if (FindTextIs("LIST  P", upper, ProcessorDirectiveColumn)) return TidyVerdict::Take;
  if (FindWordIs("MPASM", upper, 1)) return TidyVerdict::Drop;
  if (FindWordIs(";[START@OF@DELETE@BLOCKL]", upper, SourceColumn)) return TidyVerdict::Drop;
  if (FindWordIs(";[END@OF@DELETE@BLOCKL]", upper, SourceColumn)) return TidyVerdict::Drop;
  if (FindWordIs("LOC", upper, 1)) return TidyVerdict::Drop;
  if (FindWordIs("VALUE", upper, 3)) return TidyVerdict::Drop;
  if (FindWordIs("MESSAGE[308]:", upper, 1)) return TidyVerdict::Drop;
  if (FindWordUpTo("LIST", upper, LastListControlColumn) != 0) return TidyVerdict::Drop;
  if (FindWordIs("ASM@END@", upper, SourceColumn)) return TidyVerdict::Drop;
  if (FindTextIs(";[VARIABLE LISTING]", upper, SourceColumn)) return TidyVerdict::VariableListing;
  if (FindTextIs(";[END LISTING]", upper, SourceColumn)) return TidyVerdict::EndListing;
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
bool SkipBlock(ListingFileReader& reader, std::string& raw, std::string& upper) {
  while (ReadTidyLine(reader, raw)) {
    UpperCopy(raw, upper);
    if (FindWordIs(";[END@OF@BLOCK]", upper, SourceColumn)) return true;
  }
  return false;
}

// The kept lines go straight to the new listing's temporary file, which replaces the old
// listing only once all of it has been read.
bool TidyLines(ListingFileReader& reader, TextFileWriter& output) {
  std::string raw;
  std::string upper;
  while (ReadTidyLine(reader, raw)) {
    UpperCopy(raw, upper);
    switch (JudgeTidyLine(raw, upper)) {
      case TidyVerdict::StartOfBlock:
        if (!SkipBlock(reader, raw, upper)) return !reader.Failed();
        break;
      case TidyVerdict::Drop:
        break;
      case TidyVerdict::VariableListing:
        output.WriteLine(";[Variable Listing]");
        break;
      case TidyVerdict::EndListing:
        output.WriteLine(";[End Listing]");
        break;
      case TidyVerdict::Take:
        output.WriteLine(upper);
        break;
    }
  }
  return !reader.Failed();
}

}  // namespace

bool TidyListing() {
  try {
    if (!FileExists(ListingFileName)) return false;
    TextFileWriter output;
    {
      // The listing is read whole and closed before the new one takes its name.
      ListingFileReader reader;
      if (!reader.Open(ListingFileName)) return false;
      if (!output.Open(ListingFileName)) return false;
      if (!TidyLines(reader, output)) return false;
    }
    Application.ProcessMessages();
    if (!output.Commit()) return false;
    Application.ProcessMessages();
    return true;
  } catch (...) {
    return false;
  }
}
