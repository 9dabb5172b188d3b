#include "listing/working_state.h"

std::string ListingFileName;
std::string SourceFileName;
std::string AssemblerDir;
std::uint8_t OptimiseLevel = 1;
bool SecondStage = false;

TStringList SymbolList;
TStringList ListingLines;
std::uint32_t LineCount = 0;
std::uint32_t LineIndex = 0;

char LineBuffer[LineBufferSize];
std::uint32_t LineLength = 0;
std::uint32_t ScanPos = 0;
char TokenBuffer[TokenBufferSize];

std::int32_t LineAddress = 0;
std::int32_t TargetAddress = 0;
std::int32_t AddressShift = 0;

void ResetWorkingState() {
  ListingFileName.clear();
  SourceFileName.clear();
  AssemblerDir.clear();
  OptimiseLevel = 1;
  SecondStage = false;
  SymbolList.Clear();
  ListingLines.Clear();
  LineCount = 0;
  LineIndex = 0;
  LineBuffer[0] = '\0';
  LineLength = 0;
  ScanPos = 0;
  TokenBuffer[0] = '\0';
  LineAddress = 0;
  TargetAddress = 0;
  AddressShift = 0;
}
