#pragma once
// Small helpers for the tests of the instruction writer and the call and jump shortening
// pass: listing lines built from an address and a source text, a scratch folder, and the
// lines of a written source.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "listing/test_files.h"
#include "listing/working_state.h"

namespace shorten_test {

// A listing line as the assembler writes it: the address field (six hex digits, or blanks
// for a line without an address), the rest of the 28-column prefix, then the source text.
inline std::string ListingLine(std::int32_t address, std::string_view source) {
  char prefix[32];
  if (address < 0)
    std::snprintf(prefix, sizeof prefix, "%28s", "");
  else
    std::snprintf(prefix, sizeof prefix, "%06X 0000 %17s", static_cast<unsigned>(address), "");
  return std::string(prefix, 28) + std::string(source);
}

inline void SetListing(const std::vector<std::string>& lines) {
  ListingLines.Clear();
  for (const std::string& line : lines) ListingLines.Add(line);
  LineCount = static_cast<std::uint32_t>(lines.size());
}

inline void SetSymbols(const std::vector<std::pair<std::string, std::int32_t>>& symbols) {
  SymbolList.Clear();
  SymbolList.Add("");
  for (const auto& [name, value] : symbols)
    SymbolList.Add(name + "," + std::to_string(static_cast<std::uint32_t>(value)));
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The lines of a file whose every line ends in CR LF; a line end of any other kind fails the test.
inline std::vector<std::string> CrLfLines(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line without CR LF: [" << content.substr(start) << "]";
      break;
    }
    const std::string line = content.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line end in [" << line << "]";
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

// A fresh folder under the system's temporary folder, removed with its contents.
using ScratchFolder = TestTempDir;

}  // namespace shorten_test
