#include "listing/scanner.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "listing/working_state.h"

namespace {

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// Copies `text` into TokenBuffer, cut to the buffer's size.
void SetToken(const char* text, std::size_t length) {
  if (length > TokenBufferSize - 1) length = TokenBufferSize - 1;
  std::memcpy(TokenBuffer, text, length);
  TokenBuffer[length] = '\0';
}

}  // namespace

std::uint32_t FindWordUpTo(std::string_view word, std::string_view line, std::uint32_t lastColumn) {
  // A run equals the word exactly where the word occurs with a blank or the line's end on
  // either side (the word itself holds no blank). Occurrences starting past lastColumn are
  // not looked for.
  if (word.empty() || lastColumn == 0) return 0;
  const std::string_view searched = line.substr(0, std::min<std::size_t>(line.size(), lastColumn - 1 + word.size()));
  for (std::size_t pos = searched.find(word); pos != std::string_view::npos; pos = searched.find(word, pos + 1)) {
    const std::size_t end = pos + word.size();
    if ((pos == 0 || line[pos - 1] == ' ') && (end == line.size() || line[end] == ' '))
      return static_cast<std::uint32_t>(pos + 1);
  }
  return 0;
}

std::uint32_t FindWord(std::string_view word, std::string_view line) {
  return FindWordUpTo(word, line, std::numeric_limits<std::uint32_t>::max());
}

std::uint32_t FindTextUpTo(std::string_view text, std::string_view line, std::uint32_t lastColumn) {
  if (lastColumn == 0) return 0;
  const std::size_t pos = line.substr(0, std::min<std::size_t>(line.size(), lastColumn - 1 + text.size())).find(text);
  return pos == std::string_view::npos ? 0 : static_cast<std::uint32_t>(pos + 1);
}

std::uint32_t FindText(std::string_view text, std::string_view line) {
  const std::size_t pos = line.find(text);
  return pos == std::string_view::npos ? 0 : static_cast<std::uint32_t>(pos + 1);
}

std::int32_t HexToInt(const char* text) {
  std::uint32_t value = 0;
  if (text == nullptr) return 0;
  for (; *text != '\0'; ++text) {
    char c = *text;
    std::uint32_t digit;
    if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
    else if (c >= 'A' && c <= 'F') digit = static_cast<std::uint32_t>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
    else break;
    value = value * 16u + digit;
  }
  return static_cast<std::int32_t>(value);
}

char SkipBlanks() {
  LineLength = static_cast<std::uint32_t>(std::strlen(LineBuffer));
  if (ScanPos >= LineLength) return '\0';
  // A line that ends in blanks leaves ScanPos on its last character, which is a blank.
  while (IsBlankOrTab(LineBuffer[ScanPos])) {
    if (ScanPos + 1 >= LineLength) return ' ';
    ++ScanPos;
  }
  return LineBuffer[ScanPos];
}

void ReadToken() {
  TokenBuffer[0] = '\0';
  SkipBlanks();
  const std::uint32_t start = ScanPos;
  // A tab does not end a token; the delimiter itself is not consumed.
  while (ScanPos < LineLength && LineBuffer[ScanPos] != ' ' && LineBuffer[ScanPos] != ',') ++ScanPos;
  SetToken(LineBuffer + start, ScanPos - start);
}

void ReadRestOfLine() {
  TokenBuffer[0] = '\0';
  SkipBlanks();
  if (ScanPos >= LineLength) return;
  SetToken(LineBuffer + ScanPos, LineLength - ScanPos);
  ScanPos = LineLength;
}

std::int32_t ParseListingLine(const char* line) {
  if (line == nullptr || (line[0] != '0' && line[0] != '1')) return -1;
  // The address field ends at the first blank, where HexToInt stops in any case.
  return HexToInt(line);
}

void SetLineBuffer(std::string_view text) {
  if (text.size() > LineBufferSize - 1) text = text.substr(0, LineBufferSize - 1);
  std::memcpy(LineBuffer, text.data(), text.size());
  LineBuffer[text.size()] = '\0';
  LineLength = static_cast<std::uint32_t>(text.size());
}

bool LoadListingLine() {
  std::string_view line = ListingLines.Get(LineIndex);
  while (!line.empty() && static_cast<unsigned char>(line.back()) < 33) line.remove_suffix(1);
  SetLineBuffer(line);
  // A zero byte inside the line ends the text as the scanner sees it.
  LineLength = static_cast<std::uint32_t>(std::strlen(LineBuffer));
  LineAddress = ParseListingLine(LineBuffer);
  return true;
}

bool LoadSourceText() {
  LoadListingLine();
  if (LineLength < 28) {
    LineBuffer[0] = '\0';
    LineLength = 0;
    return true;
  }
  std::memmove(LineBuffer, LineBuffer + 28, LineLength - 28 + 1);
  LineLength -= 28;
  return true;
}

std::string_view ListingSourceText(std::string_view listingLine) {
  while (!listingLine.empty() && static_cast<unsigned char>(listingLine.back()) < 33) listingLine.remove_suffix(1);
  if (listingLine.size() > LineBufferSize - 1) listingLine = listingLine.substr(0, LineBufferSize - 1);
  listingLine = listingLine.substr(0, listingLine.find('\0'));
  if (listingLine.size() <= 28) return {};
  return listingLine.substr(28);
}
