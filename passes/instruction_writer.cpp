#include "passes/instruction_writer.h"

#include <string>

#include "listing/scanner.h"
#include "listing/working_state.h"

namespace {

// The limits leave room below the real reach of the relative instructions (RCALL and BRA
// 1024 words back and 1023 forward, the conditional branches 128 back and 127 forward).
constexpr std::int64_t RelativeCallOrJumpLimit = 1020;
constexpr std::int64_t ConditionalBranchLimit = 120;
constexpr std::int64_t SkipAndBraLimit = 1023;
// A single skip passes over exactly one word: the label lies two words past the placeholder.
constexpr std::int64_t SingleSkipDistance = 4;
constexpr int SingleSkipLevel = 2;

constexpr std::string_view BitTestMarker = "NOP;@USE@_TGOTO";

std::int64_t Distance(std::int32_t origin, std::int32_t target) {
  return static_cast<std::int64_t>(target) - static_cast<std::int64_t>(origin);
}

std::int64_t Magnitude(std::int64_t delta) { return delta < 0 ? -delta : delta; }

bool IsStatus(std::string_view reg) { return reg == "STATUS"; }

// STATUS bits that have a conditional branch of their own: carry, zero, overflow, negative.
bool HasConditionalBranch(int bit) { return bit == 0 || bit == 2 || bit == 3 || bit == 4; }

bool SingleSkipAllowed(std::int64_t delta, std::string_view reg) {
  return delta == SingleSkipDistance && OptimiseLevel >= SingleSkipLevel && !IsStatus(reg) &&
         !NextWordIsBitTestPlaceholder();
}

// The first token of a listing line's source text, read as ReadToken would, without
// touching the scanner's buffers (the caller's operands may live in them).
std::string_view FirstSourceToken(std::string_view line) {
  const std::string_view text = ListingSourceText(line);
  std::size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  std::size_t end = start;
  while (end < text.size() && text[end] != ' ' && text[end] != ',') ++end;
  return text.substr(start, end - start);
}

void WriteInstruction(TextFileWriter& out, std::string_view mnemonic, std::string_view operands) {
  std::string line;
  line.reserve(4 + mnemonic.size() + 1 + operands.size());
  line.append("    ").append(mnemonic).append(" ").append(operands);
  out.WriteLine(line);
}

std::string_view AccessSuffix(int access) {
  if (access == 0) return ",0";
  if (access == 1) return ",1";
  return "";
}

// R,B and the access suffix, as a skip line names the bit it tests.
std::string SkipOperands(const BitTest& test) {
  std::string operands(test.reg);
  operands.append(",").append(std::to_string(test.bit)).append(AccessSuffix(test.access));
  return operands;
}

// Skip line whose skip passes over the jump written after it when the jump is not to be taken.
void WriteSkipOverJump(TextFileWriter& out, const BitTest& test) {
  WriteInstruction(out, test.jumpIfSet != 0 ? "BTFSC" : "BTFSS", SkipOperands(test));
}

// The single skip passes over the one word before the label when the jump is to be taken.
void WriteSingleSkip(TextFileWriter& out, const BitTest& test) {
  WriteInstruction(out, test.jumpIfSet != 0 ? "BTFSS" : "BTFSC", SkipOperands(test));
}

std::string_view ConditionalBranchMnemonic(int bit, bool jumpIfSet) {
  switch (bit) {
    case 0:
      return jumpIfSet ? "BC" : "BNC";
    case 2:
      return jumpIfSet ? "BZ" : "BNZ";
    case 3:
      return jumpIfSet ? "BOV" : "BNOV";
    default:
      return jumpIfSet ? "BN" : "BNN";
  }
}

}  // namespace

int FormBytes(PlaceholderForm form) {
  switch (form) {
    case PlaceholderForm::RelativeCall:
    case PlaceholderForm::RelativeJump:
    case PlaceholderForm::SingleSkip:
    case PlaceholderForm::ConditionalBranch:
      return 2;
    case PlaceholderForm::LongCall:
    case PlaceholderForm::LongJump:
    case PlaceholderForm::DigitCarrySkipAndBra:
    case PlaceholderForm::SkipAndBra:
      return 4;
    case PlaceholderForm::SkipAndGoto:
      return 6;
  }
  return 2;
}

int FormInstructions(PlaceholderForm form) {
  switch (form) {
    case PlaceholderForm::DigitCarrySkipAndBra:
    case PlaceholderForm::SkipAndBra:
    case PlaceholderForm::SkipAndGoto:
      return 2;
    default:
      return 1;
  }
}

PlaceholderForm LongerForm(PlaceholderForm form) {
  switch (form) {
    case PlaceholderForm::RelativeCall:
      return PlaceholderForm::LongCall;
    case PlaceholderForm::RelativeJump:
      return PlaceholderForm::LongJump;
    case PlaceholderForm::SingleSkip:
    case PlaceholderForm::ConditionalBranch:
      return PlaceholderForm::SkipAndBra;
    case PlaceholderForm::DigitCarrySkipAndBra:
    case PlaceholderForm::SkipAndBra:
      return PlaceholderForm::SkipAndGoto;
    default:
      return form;
  }
}

PlaceholderForm ChooseCallForm(std::int32_t origin, std::int32_t target) {
  return Magnitude(Distance(origin, target)) <= RelativeCallOrJumpLimit ? PlaceholderForm::RelativeCall
                                                                        : PlaceholderForm::LongCall;
}

PlaceholderForm ChooseJumpForm(std::int32_t origin, std::int32_t target) {
  return Magnitude(Distance(origin, target)) <= RelativeCallOrJumpLimit ? PlaceholderForm::RelativeJump
                                                                        : PlaceholderForm::LongJump;
}

PlaceholderForm ChooseConditionalJumpForm(std::int32_t origin, std::int32_t target, std::string_view reg, int bit) {
  const std::int64_t delta = Distance(origin, target);
  if (SingleSkipAllowed(delta, reg)) return PlaceholderForm::SingleSkip;
  const std::int64_t d = Magnitude(delta);
  if (d <= ConditionalBranchLimit && IsStatus(reg)) {
    if (HasConditionalBranch(bit)) return PlaceholderForm::ConditionalBranch;
    if (bit == 1) return PlaceholderForm::DigitCarrySkipAndBra;
    return PlaceholderForm::SkipAndBra;
  }
  return d <= SkipAndBraLimit ? PlaceholderForm::SkipAndBra : PlaceholderForm::SkipAndGoto;
}

bool NextWordIsBitTestPlaceholder() {
  const std::size_t count = ListingLines.Count();
  if (LineIndex >= count) return false;
  const std::int32_t here = ParseListingLine(ListingLines.Get(LineIndex).data());
  if (here < 0) return false;
  const std::int64_t next = static_cast<std::int64_t>(here) + 2;
  // Lines without an address (comments, labels) may stand between; the first line at any
  // other address ends the search.
  for (std::size_t i = static_cast<std::size_t>(LineIndex) + 1; i < count; ++i) {
    const std::string_view line = ListingLines.Get(i);
    const std::int32_t address = ParseListingLine(line.data());
    if (address < 0) continue;
    if (address != next) return false;
    if (FirstSourceToken(line) == BitTestMarker) return true;
  }
  return false;
}

void WritePlaceholderForm(TextFileWriter& out, PlaceholderForm form, const BitTest& test, std::string_view label) {
  switch (form) {
    case PlaceholderForm::RelativeCall:
      WriteInstruction(out, "RCALL", label);
      break;
    case PlaceholderForm::LongCall:
      WriteInstruction(out, "CALL", label);
      break;
    case PlaceholderForm::RelativeJump:
      WriteInstruction(out, "BRA", label);
      break;
    case PlaceholderForm::LongJump:
      WriteInstruction(out, "GOTO", label);
      break;
    case PlaceholderForm::SingleSkip:
      WriteSingleSkip(out, test);
      break;
    case PlaceholderForm::ConditionalBranch:
      WriteInstruction(out, ConditionalBranchMnemonic(test.bit, test.jumpIfSet != 0), label);
      break;
    case PlaceholderForm::DigitCarrySkipAndBra:
      // STATUS sits in the access bank, so this skip line always names it through ",0".
      out.WriteLine(test.jumpIfSet != 0 ? "    BTFSC STATUS,1,0" : "    BTFSS STATUS,1,0");
      WriteInstruction(out, "BRA", label);
      break;
    case PlaceholderForm::SkipAndBra:
      WriteSkipOverJump(out, test);
      WriteInstruction(out, "BRA", label);
      break;
    case PlaceholderForm::SkipAndGoto:
      WriteSkipOverJump(out, test);
      WriteInstruction(out, "GOTO", label);
      break;
  }
  AddressShift += FormBytes(form) - 2;
}

void WriteCall(TextFileWriter& out, std::int32_t origin, std::int32_t target, std::string_view label) {
  WritePlaceholderForm(out, ChooseCallForm(origin, target), BitTest{}, label);
}

void WriteJump(TextFileWriter& out, std::int32_t origin, std::int32_t target, std::string_view label) {
  WritePlaceholderForm(out, ChooseJumpForm(origin, target), BitTest{}, label);
}

void WriteConditionalJump(TextFileWriter& out, std::int32_t origin, std::int32_t target, int jumpIfSet,
                          std::string_view reg, int bit, std::string_view label, int access) {
  const BitTest test{jumpIfSet, reg, bit, access};
  WritePlaceholderForm(out, ChooseConditionalJumpForm(origin, target, reg, bit), test, label);
}
