#pragma once
// The one working state that start-up, the readers of the listing and the rewriting passes
// share. It exists once, from start to exit; only one reader or pass uses it at a time.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/string_list.h"

// Fixed buffer sizes, each with room for the terminating zero.
constexpr std::size_t LineBufferSize = 500;   // the current line: at most 499 characters
constexpr std::size_t TokenBufferSize = 252;  // the last token: at most 251 characters
constexpr std::size_t FileLineLimit = 349;    // characters kept of a line read from a file

// Run settings, written by start-up only.
extern std::string ListingFileName;
extern std::string SourceFileName;
extern std::string AssemblerDir;
extern std::uint8_t OptimiseLevel;
extern bool SecondStage;

// The listing as read: one entry per symbol ("NAME,value"), and the kept program lines.
extern TStringList SymbolList;
extern TStringList ListingLines;
extern std::uint32_t LineCount;
extern std::uint32_t LineIndex;

// The current line, scan position and last token.
extern char LineBuffer[LineBufferSize];
extern std::uint32_t LineLength;
extern std::uint32_t ScanPos;
extern char TokenBuffer[TokenBufferSize];

// Program-memory byte addresses; -1 means "no address" or "not found".
extern std::int32_t LineAddress;
extern std::int32_t TargetAddress;
extern std::int32_t AddressShift;

// Puts every item of the working state back to its start-up value (tests run many cases
// in one process).
void ResetWorkingState();
