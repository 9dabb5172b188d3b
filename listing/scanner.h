#pragma once
// The scanner every reader and pass uses on the current line (LineBuffer at ScanPos).
// It reports no errors: at the end of a line it yields empty tokens, the zero character or -1.
#include <cstdint>
#include <string>
#include <string_view>

// 1-based column of the first blank-separated run of `line` equal to `word`, 0 when none.
// Only the blank (code 32) separates; tabs and commas belong to the run they stand in.
std::uint32_t FindWord(std::string_view word, std::string_view line);

// Column (1-based) at which `text` first occurs in `line` as a plain substring, 0 when absent.
std::uint32_t FindText(std::string_view text, std::string_view line);

// FindWord's and FindText's answers when they are at most `lastColumn`, 0 otherwise. The
// readers test most words at one column near the start of the line; these look no further.
std::uint32_t FindWordUpTo(std::string_view word, std::string_view line, std::uint32_t lastColumn);
std::uint32_t FindTextUpTo(std::string_view text, std::string_view line, std::uint32_t lastColumn);
inline bool FindWordIs(std::string_view word, std::string_view line, std::uint32_t column) {
  // Most lines do not hold the word at that column at all, which one comparison tells.
  const std::size_t at = column - 1;
  if (column == 0 || line.size() < at + word.size() || line.compare(at, word.size(), word) != 0) return false;
  return FindWordUpTo(word, line, column) == column;
}
inline bool FindTextIs(std::string_view text, std::string_view line, std::uint32_t column) {
  const std::size_t at = column - 1;
  if (column == 0 || line.size() < at + text.size() || line.compare(at, text.size(), text) != 0) return false;
  return FindTextUpTo(text, line, column) == column;
}

// Hexadecimal digits from the start, up to the first other character; 32-bit arithmetic.
std::int32_t HexToInt(const char* text);

char SkipBlanks();
void ReadToken();
void ReadRestOfLine();

// Address field of a listing line (from column 1 when it begins with 0 or 1), -1 otherwise.
std::int32_t ParseListingLine(const char* line);

// Loads entry LineIndex of ListingLines: trailing codes below 33 removed, LineAddress set.
// An index outside the list throws.
bool LoadListingLine();
// As LoadListingLine, then keeps only the source text: column 29 onward.
bool LoadSourceText();
// The text LoadSourceText gives for a listing line, without touching the scanner's buffers
// (for looking at other lines while a pass holds its operands in them).
std::string_view ListingSourceText(std::string_view listingLine);

// Puts `text` into LineBuffer (cut to 499 characters) and sets LineLength; ScanPos is left alone.
void SetLineBuffer(std::string_view text);

// ASCII-only upper-casing: bytes of 128 and above stay as they are.
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline void UpperAsciiInPlace(std::string& text) {
  for (char& c : text) c = UpperAscii(c);
}
