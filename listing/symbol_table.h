#pragma once
// The listing's symbol table: SymbolList holds one "NAME,value" entry per symbol, after the
// empty entry 0, in listing order. Lookups go through an index kept beside SymbolList that
// gives exactly the answer of a scan from entry 0.
#include <cstdint>
#include <string_view>

bool ReadSymbolTable();
// The entry's value when its name part equals `name` exactly, -1 otherwise.
std::int32_t MatchSymbolEntry(std::string_view entry, std::string_view name);
// The value of the first entry that matches `name` with a value other than -1, or -1.
// Sets TargetAddress to the result; on an empty SymbolList gives -1 and leaves it alone.
// Names are compared whole, whatever their length.
std::int32_t LookupSymbol(const char* name);
// The same answer found by trying every entry from entry 0 in turn, without the index and
// without touching TargetAddress (-1 for an empty SymbolList).
std::int32_t ScanSymbolList(std::string_view name);
