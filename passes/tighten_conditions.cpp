#include "passes/tighten_conditions.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "listing/scanner.h"
#include "listing/symbol_table.h"
#include "listing/text_file.h"
#include "listing/working_state.h"
#include "passes/skip_instruction.h"
#include "platform/vcl.h"

namespace {

constexpr std::string_view BlockStart = ";[S@I@ASM]";
constexpr std::string_view BlockEnd = ";[E@I@ASM]";
constexpr std::size_t RegisterLimit = 39;
constexpr std::size_t LabelLimit = 59;
constexpr std::uint32_t GaugeStep = 40;

// A PIC18 conditional branch reaches -256 to +254 bytes from the instruction behind it. The
// short forms of the instruction writer keep within 120 bytes of their own address; a fold
// counts from the BRA line (the address right behind the new branch) and stays below 120.
constexpr std::int64_t FoldReach = 120;

// One row per skip instruction: the branch that replaces "skip on that condition, else BRA",
// by STATUS bit (C, DC, Z, OV, N). The digit carry has no branch, so bit 1 has none.
struct FoldRow {
  std::string_view mnemonic;
  const char* branches[5];
};
constexpr FoldRow SkipOnClear = {"BTFSC", {"    BC ", nullptr, "    BZ ", "    BOV ", "    BN "}};
constexpr FoldRow SkipOnSet = {"BTFSS", {"    BNC ", nullptr, "    BNZ ", "    BNOV ", "    BNN "}};

// Copies TokenBuffer into a smaller buffer of the pass, cut to its size.
template <std::size_t Size>
void CopyToken(char (&target)[Size]) {
  std::size_t length = std::strlen(TokenBuffer);
  if (length > Size - 1) length = Size - 1;
  std::memcpy(target, TokenBuffer, length);
  target[length] = '\0';
}

bool FirstTokenIs(std::string_view mnemonic) {
  ScanPos = 0;
  ReadToken();
  return TokenBuffer == mnemonic;
}

struct SkipOperands {
  char registerName[RegisterLimit + 1];
  char bit;  // the one character behind the register's delimiter; zero when there is none
};

// The register operand, and the bit as the single character right behind the comma (or blank)
// that ended it: "STATUS,2,0" gives 2. Whatever follows the bit (the access operand) is ignored.
SkipOperands ReadSkipOperands() {
  SkipOperands operands{};
  ReadToken();
  CopyToken(operands.registerName);
  if (ScanPos < LineLength) {
    operands.bit = LineBuffer[ScanPos + 1];
    ScanPos = ScanPos + 2 < LineLength ? ScanPos + 2 : LineLength;
  }
  return operands;
}

bool BitHasRow(char bit) { return bit >= '0' && bit <= '4'; }

// Both addresses have been shifted alike, so the distance is the listed one; a target shifted
// below zero lies among the bytes this pass has already removed.
bool WithinFoldReach() {
  const std::int64_t distance = static_cast<std::int64_t>(TargetAddress) - LineAddress;
  return std::llabs(distance) < FoldReach && TargetAddress >= 0;
}

void WriteFold(const FoldRow& row, char bit, const char* label, TextFileWriter& writer) {
  const int number = bit - '0';
  if (row.branches[number] == nullptr) {
    writer.WriteLine(std::string("    ") + std::string(row.mnemonic) + " STATUS," + std::to_string(number) + ",0");
    writer.WriteLine(std::string("    BRA ") + label);
    return;
  }
  writer.WriteLine(std::string(row.branches[number]) + label);
  AddressShift -= 2;
}

// LineBuffer holds the skip line at LineIndex, its first token read. Folds it with a BRA on the
// next line when it may; returns true when the pair has been written, false when the skip line
// (back in LineBuffer, LineIndex on it) is still to be written and its next line handled in its
// own turn. A skip that is itself skipped keeps its pair: one conditional branch in place of
// two instructions would change what the earlier skip skips.
bool TryFold(const FoldRow& row, TextFileWriter& writer, SkipShadow& shadow) {
  const std::uint32_t skipIndex = LineIndex;
  const std::string skipLine(LineBuffer);
  const SkipOperands operands = ReadSkipOperands();
  if (std::strcmp(operands.registerName, "STATUS") != 0) return false;
  ++LineIndex;
  LoadSourceText();
  if (FindWord("BRA", LineBuffer) > 0 && FirstTokenIs("BRA")) {
    char label[LabelLimit + 1];
    ReadToken();
    CopyToken(label);
    TargetAddress = LookupSymbol(label);
    LineAddress += AddressShift;
    TargetAddress += AddressShift;
    if (WithinFoldReach() && BitHasRow(operands.bit) && !shadow.PrecededBySkipInstruction(skipIndex)) {
      WriteFold(row, operands.bit, label, writer);
      LineIndex = skipIndex + 2;
      return true;
    }
  }
  SetLineBuffer(skipLine);
  LineIndex = skipIndex;
  return false;
}

// The compiler's inline assembler is written as it stands, without its two marker lines.
// A block still open at the end of the listing runs to its end; a start on the very last
// line reads past it, which throws.
void PassBlockThrough(TextFileWriter& writer) {
  ++LineIndex;
  while (true) {
    LoadSourceText();
    if (FindWord(BlockEnd, LineBuffer) > 0) {
      ++LineIndex;
      return;
    }
    writer.WriteLine(LineBuffer);
    ++LineIndex;
    if (LineIndex >= LineCount) return;
  }
}

void Step(TextFileWriter& writer, SkipShadow& shadow) {
  LoadSourceText();
  bool toWrite = true;
  if (FindWord(BlockStart, LineBuffer) > 0) {
    PassBlockThrough(writer);
    toWrite = false;
  } else if (FindWord("BTFSC", LineBuffer) > 0) {
    if (FirstTokenIs("BTFSC")) toWrite = !TryFold(SkipOnClear, writer, shadow);
  } else if (FindWord("BTFSS", LineBuffer) > 0) {
    if (FirstTokenIs("BTFSS")) toWrite = !TryFold(SkipOnSet, writer, shadow);
  }
  if (toWrite) {
    writer.WriteLine(LineBuffer);
    ++LineIndex;
  }
  if (LineIndex % GaugeStep == 0) Form2.Optimise_Gauge.SetProgress(static_cast<int>(LineIndex));
  Application.ProcessMessages();
}

}  // namespace

bool TightenConditions() {
  AddressShift = 0;
  const int lineTotal = static_cast<int>(ListingLines.Count());
  Form2.Optimise_Gauge.SetMaxValue(lineTotal);
  Form2.MessageLabel.Caption = "Tightening Conditions";
  // The new source replaces the old one only once it is whole; an error part-way (reading past
  // the last listing line) leaves the old one and goes on to the driver.
  TextFileWriter writer;
  if (!writer.Open(SourceFileName)) return false;
  SkipShadow shadow(ListingLines.Count(),
                    [](std::size_t i) -> std::string_view { return ListingSourceText(ListingLines.Get(i)); });
  LineIndex = 0;
  while (LineIndex < LineCount) Step(writer, shadow);
  Form2.Optimise_Gauge.SetProgress(lineTotal);
  writer.WriteLine("    END");
  const bool written = writer.Commit();
  Application.ProcessMessages();
  return written;
}
