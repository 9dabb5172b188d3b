#include "passes/remove_bank_selects.h"

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "listing/scanner.h"
#include "listing/text_file.h"
#include "listing/working_state.h"
#include "passes/skip_instruction.h"
#include "platform/string_list.h"
#include "platform/vcl.h"

namespace {

constexpr std::string_view BlockStart = ";[S@I@ASM]";
constexpr std::string_view BlockEnd = ";[E@I@ASM]";

// A line between two bank selects that leaves the first one dead: a label defined at the
// current address, or an instruction that takes a literal and so addresses no file register.
constexpr std::string_view InterveningTexts[] = {"EQU $",  "MOVLW ", "IORLW ", "XORLW ",
                                                 "SUBLW ", "ANDLW ", "ADDLW "};

void UpperCaseInto(std::string_view text, std::string& upper) {
  upper.assign(text);
  UpperAsciiInPlace(upper);
}

std::string UpperCased(std::string_view text) {
  std::string upper;
  UpperCaseInto(text, upper);
  return upper;
}

// Puts a line into LineBuffer and reads its first token.
void LoadFirstToken(std::string_view line) {
  SetLineBuffer(line);
  ScanPos = 0;
  ReadToken();
}

bool TokenIs(std::string_view text) { return TokenBuffer == text; }

bool IsInterveningLine(const std::string& upperLine) {
  for (std::string_view text : InterveningTexts)
    if (upperLine.find(text) != std::string::npos) return true;
  return false;
}

// The compiler's inline assembler goes through untouched, in its own case; the start line keeps
// only its marker. Returns the index of the line after the block's end line. A block still
// open at the end of the source reads past the last line, which throws.
std::size_t CopyBlock(const TStringList& input, std::size_t start, TStringList& output) {
  output.Add(BlockStart);
  std::size_t index = start;
  do {
    ++index;
    const std::string_view line = input.Get(index);
    output.Add(line);
    LoadFirstToken(line);
  } while (!TokenIs(BlockEnd));
  return index + 1;
}

struct SweepRules {
  bool allowIntervening;  // the first sweep lets one intervening line stand between the pair
};

// The bank select B at `index`, its upper-cased text in `bankSelect`. When the candidate line
// (the next one, or the one after an intervening line) is a MOVLB too, B goes and the candidate
// is written anew; a B in the shadow of a skip instruction stays, since dropping it would
// change what the skip skips. Returns the index of the next line to handle.
std::size_t HandleBankSelect(const TStringList& input, std::size_t index, const std::string& bankSelect,
                             const SweepRules& rules, SkipShadow& shadow, TStringList& output) {
  std::size_t candidate = index + 1;
  std::string intervening;
  bool hasIntervening = false;
  if (rules.allowIntervening) {
    intervening = UpperCased(input.Get(index + 1));
    if (IsInterveningLine(intervening)) {
      hasIntervening = true;
      candidate = index + 2;
    }
  }
  LoadFirstToken(UpperCased(input.Get(candidate)));
  // A skip instruction whose comment holds one of the searched texts may pass for the
  // intervening line; it can skip the second MOVLB, so then the first one still counts.
  const bool candidateMaySkip = hasIntervening && ClassifySkipLine(intervening) == SkipLineKind::SkipInstruction;
  if (TokenIs("MOVLB") && !candidateMaySkip && !shadow.PrecededBySkipInstruction(index)) {
    if (hasIntervening) output.Add(intervening);
    ReadRestOfLine();
    output.Add(std::string("    MOVLB ") + TokenBuffer);
    return candidate + 1;
  }
  output.Add(bankSelect);
  return index + 1;
}

// One pass over the whole source. An empty source reads past its end at once, which throws.
void Sweep(const TStringList& input, TStringList& output, const SweepRules& rules) {
  output.Reserve(input.Count(), input.CharCount());  // a sweep never adds a line
  SkipShadow shadow(input.Count(), [&input](std::size_t i) -> std::string_view { return input.Get(i); });
  std::size_t index = 0;
  std::string current;  // one buffer for every line's upper-cased text
  do {
    UpperCaseInto(input.Get(index), current);
    LoadFirstToken(current);
    if (TokenIs(BlockStart)) {
      index = CopyBlock(input, index, output);
    } else if (TokenIs("MOVLB")) {
      index = HandleBankSelect(input, index, current, rules, shadow, output);
    } else {
      output.Add(current);
      ++index;
    }
  } while (index < input.Count());
}

// The sweep's result becomes the next input; the output starts empty again.
void MoveBack(TStringList& output, TStringList& input) {
  std::swap(input, output);
  output.Clear();
}

bool WriteSource(const TStringList& lines) {
  TextFileWriter writer;
  if (!writer.Open(SourceFileName)) return false;
  for (std::string_view line : lines) writer.WriteLine(line);
  return writer.Commit();
}

bool RemoveBankSelectsOrThrow() {
  TStringList input;
  TStringList output;
  if (!ReadSourceLines(SourceFileName, input)) return false;
  Form2.MessageLabel.Caption = "Optimising. Please Wait...";
  Sweep(input, output, SweepRules{true});
  MoveBack(output, input);
  Sweep(input, output, SweepRules{false});
  MoveBack(output, input);
  return WriteSource(input);
}

}  // namespace

bool RemoveBankSelects() {
  // Any error, reading past the last line included, leaves the source as it was.
  try {
    return RemoveBankSelectsOrThrow();
  } catch (...) {
    return false;
  }
}
