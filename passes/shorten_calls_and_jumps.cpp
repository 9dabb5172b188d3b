#include "passes/shorten_calls_and_jumps.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "listing/scanner.h"
#include "listing/symbol_table.h"
#include "listing/text_file.h"
#include "listing/working_state.h"
#include "passes/instruction_writer.h"
#include "passes/reach_check.h"
#include "platform/vcl.h"

namespace {

enum class MarkerAction : std::uint8_t { BlockStart, Call, Jump, Named, BitTest };

struct Marker {
  std::string_view text;
  MarkerAction action;
  std::string_view mnemonic;  // Named: the instruction written with the placeholder's operand
  PlaceholderForm namedForm;  // Named: how much room that instruction takes
};

// Tried in this order; the first one on a line decides what the line is.
constexpr Marker Markers[] = {
    {";[S@I@ASM]", MarkerAction::BlockStart, "", PlaceholderForm::RelativeJump},
    {"NOP;@USE@_CALL", MarkerAction::Call, "", PlaceholderForm::RelativeCall},
    {"NOP;@USE@_GOTO", MarkerAction::Jump, "", PlaceholderForm::RelativeJump},
    {"NOP;[CALL@]", MarkerAction::Named, "CALL", PlaceholderForm::LongCall},
    {"NOP;[RCALL@]", MarkerAction::Named, "RCALL", PlaceholderForm::RelativeCall},
    {"NOP;[GOTO@]", MarkerAction::Named, "GOTO", PlaceholderForm::LongJump},
    {"NOP;[BRA@]", MarkerAction::Named, "BRA", PlaceholderForm::RelativeJump},
    {"NOP;[BZ@]", MarkerAction::Named, "BZ", PlaceholderForm::ConditionalBranch},
    {"NOP;[BNZ@]", MarkerAction::Named, "BNZ", PlaceholderForm::ConditionalBranch},
    {"NOP;[BOV@]", MarkerAction::Named, "BOV", PlaceholderForm::ConditionalBranch},
    {"NOP;[BNOV@]", MarkerAction::Named, "BNOV", PlaceholderForm::ConditionalBranch},
    {"NOP;[BN@]", MarkerAction::Named, "BN", PlaceholderForm::ConditionalBranch},
    {"NOP;[BNN@]", MarkerAction::Named, "BNN", PlaceholderForm::ConditionalBranch},
    {"NOP;[BC@]", MarkerAction::Named, "BC", PlaceholderForm::ConditionalBranch},
    {"NOP;[BNC@]", MarkerAction::Named, "BNC", PlaceholderForm::ConditionalBranch},
    {"NOP;@USE@_TGOTO", MarkerAction::BitTest, "", PlaceholderForm::SkipAndGoto},
};

constexpr std::string_view BlockEndMarker = ";[E@I@ASM]";
constexpr std::uint32_t GaugeStep = 40;
// Sizes of the buffers that hold the bit-test marker's register name and label.
constexpr std::size_t RegisterNameLimit = 42;
constexpr std::size_t BitTestLabelLimit = 59;

// What takes one placeholder's place in the new source.
struct Replacement {
  const Marker* marker;
  std::string label;  // the operand text
  std::string reg;
  int jumpIfSet = 1;
  int bit = 0;
  int access = -1;
};

// One step of the new source: a listing line's source text as it stands, or a replacement.
struct SourceStep {
  std::uint32_t lineIndex;
  std::int32_t replacement;  // -1: the line's text; otherwise an index into replacements and forms
};

// The walk over the listing records what the new source is to hold; the forms can then be
// checked against each other before a line is written.
struct SourcePlan {
  std::vector<SourceStep> steps;
  std::vector<Replacement> replacements;
  std::vector<PlacedForm> forms;
};

std::string_view CurrentLine() { return std::string_view(LineBuffer, LineLength); }

// Every marker holds an '@', so most lines are settled by one search.
const Marker* FirstMarkerOnLine() {
  if (std::memchr(LineBuffer, '@', LineLength) == nullptr) return nullptr;
  for (const Marker& marker : Markers)
    if (FindWord(marker.text, CurrentLine()) != 0) return &marker;
  return nullptr;
}

void KeepLine(SourcePlan& plan) { plan.steps.push_back({LineIndex, -1}); }

void CopyLine(SourcePlan& plan) {
  KeepLine(plan);
  ++LineIndex;
}

// Inline assembler is the user's own code: it is written as it stands, placeholders and all.
// Its marker lines stay only when the second stage, which looks for them again, will run.
void KeepInlineAssemblerBlock(SourcePlan& plan) {
  if (SecondStage) KeepLine(plan);
  ++LineIndex;
  while (true) {
    LoadSourceText();
    if (FindWord(BlockEndMarker, CurrentLine()) != 0) {
      if (SecondStage) KeepLine(plan);
      ++LineIndex;
      return;
    }
    CopyLine(plan);
    if (LineIndex >= LineCount) return;
  }
}

// Placeholders mean something only as the line's instruction: a marker that stands anywhere
// else (in a comment, say) leaves the line as it is.
bool MarkerIsFirstToken(const Marker& marker) {
  ScanPos = 0;
  ReadToken();
  return TokenBuffer == marker.text;
}

std::string ReadOperand() {
  SkipBlanks();
  ReadRestOfLine();
  return TokenBuffer;
}

// The character at `position` of the current text; positions past its end read as zero.
char CharacterAt(std::uint32_t position) { return position < LineLength ? LineBuffer[position] : '\0'; }

// Steps over characters that are not examined, never beyond the end of the text.
void StepOver(std::uint32_t count) { ScanPos = std::min(ScanPos + count, LineLength); }

std::string TokenCutTo(std::size_t limit) {
  return std::string(TokenBuffer, std::min(std::strlen(TokenBuffer), limit));
}

// One digit at a fixed place (the flag, the bit number). Its absence is no case the compiler
// writes, and no instruction could be written for it: the pass fails rather than guess.
int ReadDigitAtScanPos(const char* what) {
  if (ScanPos >= LineLength) throw std::runtime_error(std::string("bit-test placeholder without its ") + what);
  return LineBuffer[ScanPos] - '0';
}

// Flag, register, bit, label and optional access, read at the places the compiler puts them:
// NOP;@USE@_TGOTO 1,PORTB,3,LOOP1,0
void ReadBitTestOperands(Replacement& replacement) {
  SkipBlanks();
  replacement.jumpIfSet = ReadDigitAtScanPos("flag");
  StepOver(2);
  ReadToken();
  replacement.reg = TokenCutTo(RegisterNameLimit);
  StepOver(1);
  replacement.bit = ReadDigitAtScanPos("bit number");
  StepOver(2);
  ReadToken();
  replacement.label = TokenCutTo(BitTestLabelLimit);
  SkipBlanks();
  replacement.access = CharacterAt(ScanPos) == ',' ? CharacterAt(ScanPos + 1) - '0' : -1;
}

// A label the symbol table lacks has no distance: the longest form reaches it wherever it is.
PlacedForm ChooseForm(const Marker& marker, const Replacement& replacement) {
  if (marker.action == MarkerAction::Named) return {LineAddress, -1, marker.namedForm, true};
  const bool found = LookupSymbol(replacement.label.c_str()) != -1;
  switch (marker.action) {
    case MarkerAction::Call:
      if (!found) return {LineAddress, -1, PlaceholderForm::LongCall, true};
      return {LineAddress, TargetAddress, ChooseCallForm(LineAddress, TargetAddress), false};
    case MarkerAction::Jump:
      if (!found) return {LineAddress, -1, PlaceholderForm::LongJump, true};
      return {LineAddress, TargetAddress, ChooseJumpForm(LineAddress, TargetAddress), false};
    default:
      if (!found) return {LineAddress, -1, PlaceholderForm::SkipAndGoto, true};
      return {LineAddress, TargetAddress,
              ChooseConditionalJumpForm(LineAddress, TargetAddress, replacement.reg, replacement.bit), false};
  }
}

void ReplacePlaceholder(SourcePlan& plan, const Marker& marker) {
  if (!MarkerIsFirstToken(marker)) {
    CopyLine(plan);
    return;
  }
  Replacement replacement{&marker, {}, {}};
  if (marker.action == MarkerAction::BitTest)
    ReadBitTestOperands(replacement);
  else
    replacement.label = ReadOperand();
  plan.forms.push_back(ChooseForm(marker, replacement));
  plan.steps.push_back({LineIndex, static_cast<std::int32_t>(plan.replacements.size())});
  plan.replacements.push_back(std::move(replacement));
  ++LineIndex;
}

void ShowProgress(std::uint32_t position) {
  Form2.Optimise_Gauge.SetProgress(static_cast<int>(std::min<std::uint32_t>(position, INT_MAX)));
}

// The walk over the listing. Reading past its last line throws (an empty listing, a block
// that starts on the last line); the caller then fails the pass.
SourcePlan PlanSource() {
  SourcePlan plan;
  plan.steps.reserve(ListingLines.Count() + 1);
  LineIndex = 0;
  do {
    LoadSourceText();
    const Marker* marker = FirstMarkerOnLine();
    if (marker == nullptr)
      CopyLine(plan);
    else if (marker->action == MarkerAction::BlockStart)
      KeepInlineAssemblerBlock(plan);
    else
      ReplacePlaceholder(plan, *marker);
    if (LineIndex % GaugeStep == 0) ShowProgress(LineIndex);
  } while (LineIndex < LineCount);
  return plan;
}

void WriteReplacement(TextFileWriter& out, const Replacement& replacement, PlaceholderForm form) {
  const Marker& marker = *replacement.marker;
  if (marker.action == MarkerAction::Named) {
    std::string line = "    ";
    line.append(marker.mnemonic).append(" ").append(replacement.label);
    out.WriteLine(line);
    AddressShift += FormBytes(form) - 2;
    return;
  }
  const BitTest test{replacement.jumpIfSet, replacement.reg, replacement.bit, replacement.access};
  WritePlaceholderForm(out, form, test, replacement.label);
}

void WriteSource(TextFileWriter& out, const SourcePlan& plan) {
  const std::uint32_t walkEnd = LineIndex;
  AddressShift = 0;
  for (const SourceStep& step : plan.steps) {
    if (step.replacement >= 0) {
      const std::size_t r = static_cast<std::size_t>(step.replacement);
      WriteReplacement(out, plan.replacements[r], plan.forms[r].form);
      continue;
    }
    LineIndex = step.lineIndex;
    LoadSourceText();
    out.WriteLine(CurrentLine());
  }
  LineIndex = walkEnd;
}

}  // namespace

bool ShortenCallsAndJumps() {
  AddressShift = 0;
  const std::size_t lineTotal = ListingLines.Count();
  const int gaugeMax = static_cast<int>(std::min<std::size_t>(lineTotal, INT_MAX));
  Form2.Optimise_Gauge.SetMaxValue(gaugeMax);
  Form2.MessageLabel.Caption = "Optimising. Please Wait...";
  TextFileWriter out;
  if (!out.Open(SourceFileName)) return false;
  try {
    SourcePlan plan = PlanSource();
    LengthenFormsOutOfReach(plan.forms);
    WriteSource(out, plan);
  } catch (...) {
    out.Abandon();
    return false;
  }
  Form2.Optimise_Gauge.SetProgress(gaugeMax);
  out.WriteLine("    END");
  const bool written = out.Commit();
  Application.ProcessMessages();
  return written;
}
