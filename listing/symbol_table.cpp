#include "listing/symbol_table.h"

#include <cstring>
#include <functional>
#include <string>
#include <unordered_map>

#include "listing/scanner.h"
#include "listing/text_file.h"
#include "listing/working_state.h"

namespace {

// The symbol table starts at a line the assembler begins with "SYMBOL" in upper case and
// ends at its memory usage map; the heading of the table follows its first line.
constexpr std::string_view SectionStart = "SYMBOL";
constexpr std::string_view SectionEnd = "MEMORY USAGE MAP";

std::uint32_t DecimalPrefix(std::string_view text) {
  std::uint32_t value = 0;  // unsigned, so that a value past 32 bits wraps as the assembler's does
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  return value;
}

// Puts a line read from the listing into LineBuffer, as the scanner needs it.
bool ReadIntoLineBuffer(ListingFileReader& reader, std::string& line) {
  const bool lineFeedEnded = reader.ReadLine(line);
  SetLineBuffer(line);
  return lineFeedEnded;
}

bool BeginsWith(std::string_view line, std::string_view start) { return line.substr(0, start.size()) == start; }

// The table's end is recognised in any letter case, its start only in upper case.
bool IsSectionEnd(std::string_view line) {
  if (line.size() < SectionEnd.size()) return false;
  for (std::size_t i = 0; i < SectionEnd.size(); ++i)
    if (UpperAscii(line[i]) != SectionEnd[i]) return false;
  return true;
}

// Reads up to and including the line that opens the table. False when the file ends first;
// the text of the read that met the end is not looked at.
bool FindSymbolSection(ListingFileReader& reader, std::string& line) {
  // Only the last line read has to stand in LineBuffer: the program's lines go by unscanned.
  bool lineFeedEnded;
  while ((lineFeedEnded = reader.ReadLine(line)))
    if (BeginsWith(line, SectionStart)) break;
  SetLineBuffer(line);
  return lineFeedEnded;
}

// The assembler writes a value in hexadecimal with leading zeros ("00000F80") and in decimal
// otherwise; a second word that begins with neither a digit nor "00" is a repeated heading.
bool ReadSymbolValue(const char* text, std::uint32_t& value) {
  if (text[0] == '0' && text[1] == '0') {
    value = static_cast<std::uint32_t>(HexToInt(text));
    return true;
  }
  if (text[0] >= '0' && text[0] <= '9') {
    value = DecimalPrefix(text);
    return true;
  }
  return false;
}

bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }

// A form feed before a name (a page break inside the table) is not part of the name.
std::string_view TrimName(std::string_view name) {
  while (!name.empty() && IsTrimmed(name.front())) name.remove_prefix(1);
  while (!name.empty() && IsTrimmed(name.back())) name.remove_suffix(1);
  return name;
}

// Turns the line in LineBuffer into an entry of SymbolList, when it holds a name and a value.
void AddSymbolEntry() {
  ScanPos = 0;
  ReadToken();
  if (TokenBuffer[0] == '\0') return;
  const std::string name(TokenBuffer);
  SkipBlanks();
  ReadToken();
  if (TokenBuffer[0] == '\0') return;
  std::uint32_t value;
  if (!ReadSymbolValue(TokenBuffer, value)) return;
  std::string entry(TrimName(name));
  entry += ',';
  entry += std::to_string(value);
  SymbolList.Add(entry);
}

// The index: for every name part of SymbolList, the answer a scan from entry 0 gives. A scan
// stops at the first entry of that name whose value is not -1, so later duplicates and entries
// reading -1 never become the answer. It belongs to one state of SymbolList, told by its
// Version(), and is built again when the list has changed since.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

struct SymbolIndex {
  bool built = false;
  std::uint64_t version = 0;
  std::unordered_map<std::string, std::int32_t, NameHash, std::equal_to<>> values;
};

SymbolIndex Index;

std::string_view NamePart(std::string_view entry) { return entry.substr(0, entry.find(',')); }

void BuildSymbolIndex() {
  Index.built = false;
  Index.values.clear();
  Index.values.reserve(SymbolList.Count());
  for (std::string_view entry : SymbolList) {
    const std::string_view name = NamePart(entry);
    const std::int32_t value = MatchSymbolEntry(entry, name);
    if (value != -1) Index.values.emplace(std::string(name), value);  // keeps the first
  }
  Index.version = SymbolList.Version();
  Index.built = true;
}

const SymbolIndex& CurrentSymbolIndex() {
  if (!Index.built || Index.version != SymbolList.Version()) BuildSymbolIndex();
  return Index;
}

bool ReadSymbolEntries() {
  SymbolList.Clear();
  SymbolList.Add("");
  if (!FileExists(ListingFileName)) return false;
  ListingFileReader reader;
  if (!reader.Open(ListingFileName)) return false;
  std::string line;
  if (!FindSymbolSection(reader, line)) return false;
  ReadIntoLineBuffer(reader, line);  // the table's column heading
  while (ReadIntoLineBuffer(reader, line)) {
    if (IsSectionEnd(line)) break;
    AddSymbolEntry();
  }
  // A read error is a failure; the end of the file inside the table is not.
  return !reader.Failed();
}

}  // namespace

bool ReadSymbolTable() {
  bool found = false;
  try {
    found = ReadSymbolEntries();
    BuildSymbolIndex();
  } catch (...) {
    found = false;
  }
  return found;
}

std::int32_t MatchSymbolEntry(std::string_view entry, std::string_view name) {
  const std::size_t comma = entry.find(',');
  if (entry.substr(0, comma) != name) return -1;
  if (comma == std::string_view::npos) return 0;
  std::string_view value = entry.substr(comma + 1);
  value = value.substr(0, value.find(','));
  return static_cast<std::int32_t>(DecimalPrefix(value));
}

std::int32_t LookupSymbol(const char* name) {
  // Asking an empty list for its entry 0 fails, and a failed lookup leaves TargetAddress alone.
  if (SymbolList.Count() == 0) return -1;
  const std::string_view wanted(name == nullptr ? "" : name);
  std::int32_t result;
  try {
    const SymbolIndex& index = CurrentSymbolIndex();
    const auto found = index.values.find(wanted);
    result = found == index.values.end() ? -1 : found->second;
  } catch (...) {
    result = ScanSymbolList(wanted);  // no room for the index: the scan gives the same answer
  }
  TargetAddress = result;
  return result;
}

std::int32_t ScanSymbolList(std::string_view name) {
  std::int32_t result = -1;
  for (std::string_view entry : SymbolList) {
    result = MatchSymbolEntry(entry, name);
    if (result != -1) break;
  }
  return result;
}
