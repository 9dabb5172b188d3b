#include "listing/listing_reader.h"

#include <filesystem>
#include <string>
#include <string_view>

#include "listing/scanner.h"
#include "listing/text_file.h"
#include "listing/working_state.h"

namespace {

// Column of the source text's first character in a listing line: a directive written
// right at the start of the source line stands at 29, one or two blanks in at 30 or 31.
constexpr std::uint32_t SourceColumn = 29;
// Shorter lines carry no source text (a line number alone, a page heading's tail).
constexpr std::size_t ShortestKeptLine = 28;

enum class LineVerdict { Take, Drop, EndOfProgram };

// The reader compares on upper case and keeps every column where the listing put it, so
// only the end of the line is trimmed.
void UpperAndTrimEnd(std::string& line) {
  UpperAsciiInPlace(line);
  while (!line.empty() && static_cast<unsigned char>(line.back()) <= 32) line.pop_back();
}

// A form feed starts every page after the first; its heading, and any line that begins with
// a tab or another control byte, is no program line.
bool BeginsWithControlOrHighByte(std::string_view line) {
  const unsigned char first = static_cast<unsigned char>(line.front());
  return first < 32 || first >= 128;
}

bool WordInSourceStart(std::string_view word, std::string_view line) {
  const std::uint32_t column = FindWordUpTo(word, line, SourceColumn + 1);
  return column >= SourceColumn - 1;
}

// The tests in their order; where they overlap, the earlier one decides.
LineVerdict JudgeListingLine(std::string_view line) {
  if (line.empty() || BeginsWithControlOrHighByte(line)) return LineVerdict::Drop;
  // The symbol table follows the last program line.
  if (FindWordIs("SYMBOL", line, 1)) return LineVerdict::EndOfProgram;
  if (FindWordIs("RAM_BANK", line, SourceColumn)) return LineVerdict::Drop;
  // The processor directive (" LIST  P=18F...") must reach the rewritten source.
  if (FindTextIs("LIST  P", line, SourceColumn + 1)) return LineVerdict::Take;
  if (WordInSourceStart("LIST", line)) return LineVerdict::Drop;
  if (WordInSourceStart("NOLIST", line)) return LineVerdict::Drop;
  if (FindWordIs("LOC", line, 1)) return LineVerdict::Drop;  // the column heading
  if (FindWordIs("MESSAGE[308]:", line, 1)) return LineVerdict::Drop;
  if (FindWordIs("MPASM", line, 1)) return LineVerdict::Drop;  // the page heading
  if (line.size() < ShortestKeptLine) return LineVerdict::Drop;
  return LineVerdict::Take;
}

}  // namespace

bool ReadListing() {
  ListingLines.Clear();
  if (!FileExists(ListingFileName)) return false;
  ListingFileReader reader;
  if (!reader.Open(ListingFileName)) return false;
  LineCount = 0;
  try {
    // A kept line holds 28 characters or more and a line feed: the file's size bounds both
    // the lines and their characters. Reserved room that is never filled costs no memory.
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(ListingFileName, error);
    if (!error) ListingLines.Reserve(static_cast<std::size_t>(bytes / (ShortestKeptLine + 1) + 1),
                                     static_cast<std::size_t>(bytes));
    std::string line;
    // The text of the read that meets the end of the file is judged like any other line: a
    // last line without a line feed is kept, the empty text after a final line feed dropped.
    bool moreLines = true;
    while (moreLines) {
      moreLines = reader.ReadLine(line);
      UpperAndTrimEnd(line);
      const LineVerdict verdict = JudgeListingLine(line);
      if (verdict == LineVerdict::EndOfProgram) break;
      if (verdict == LineVerdict::Take) {
        ListingLines.Add(line);
        ++LineCount;
      }
    }
    SetLineBuffer(line);  // the last line read, as the scanner sees lines
  } catch (...) {
    LineCount = static_cast<std::uint32_t>(ListingLines.Count());
    return false;
  }
  LineCount = static_cast<std::uint32_t>(ListingLines.Count());
  return !reader.Failed();
}
