#include "listing/symbol_table.h"

#include "listing/working_state.h"

namespace {

std::uint32_t DecimalPrefix(std::string_view text) {
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  return value;
}

}  // namespace

bool ReadSymbolTable() {
  SymbolList.Clear();
  SymbolList.Add("");
  return false;  // read by the listing model
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
  if (SymbolList.Count() == 0) return -1;
  std::int32_t result = -1;
  for (const std::string& entry : SymbolList.Items()) {
    result = MatchSymbolEntry(entry, name);
    if (result != -1) break;
  }
  TargetAddress = result;
  return result;
}
