#include "passes/skip_instruction.h"

#include <utility>

#include "listing/scanner.h"

namespace {

// The PIC18 instructions that may skip the next instruction.
constexpr std::string_view SkipMnemonics[] = {"BTFSC",  "BTFSS",  "CPFSEQ", "CPFSGT", "CPFSLT",
                                              "DECFSZ", "DCFSNZ", "INCFSZ", "INFSNZ", "TSTFSZ"};

// Blanks, tabs and control characters all part words: a source line may indent with tabs, and
// a skip taken for a label would let a pass change the instruction it skips.
bool PartsWords(char c) { return static_cast<unsigned char>(c) < 33; }

bool SameUpperCased(std::string_view word, std::string_view upper) {
  if (word.size() != upper.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (UpperAscii(word[i]) != upper[i]) return false;
  return true;
}

bool IsSkipMnemonic(std::string_view word) {
  for (std::string_view mnemonic : SkipMnemonics)
    if (SameUpperCased(word, mnemonic)) return true;
  return false;
}

}  // namespace

SkipLineKind ClassifySkipLine(std::string_view text) {
  text = text.substr(0, text.find(';'));
  std::size_t words = 0;
  bool holdsEqu = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && PartsWords(text[pos])) ++pos;
    std::size_t end = pos;
    while (end < text.size() && !PartsWords(text[end])) ++end;
    if (end == pos) break;
    const std::string_view word = text.substr(pos, end - pos);
    ++words;
    // A skip mnemonic decides before anything else: in doubt a line counts as a skip, which
    // only ever keeps code as it was.
    if (IsSkipMnemonic(word)) return SkipLineKind::SkipInstruction;
    if (SameUpperCased(word, "EQU")) holdsEqu = true;
    pos = end;
  }
  // None of these assembles to an instruction a skip could be aimed at; a single word is a
  // label (or an operand-less instruction, none of which skips).
  if (words <= 1 || holdsEqu) return SkipLineKind::PassedOver;
  return SkipLineKind::OtherLine;
}

SkipShadow::SkipShadow(std::size_t count, TextAt textAt) : textAt_(std::move(textAt)), known_(count + 1, -1) {}

bool SkipShadow::PrecededBySkipInstruction(std::size_t index) {
  if (index >= known_.size()) known_.resize(index + 1, -1);
  // Walk back to the nearest line that is not passed over, or to a line already answered;
  // every line walked over shares that answer.
  std::size_t first = index;
  std::int8_t answer = 0;
  while (true) {
    if (known_[first] >= 0) {
      answer = known_[first];
      break;
    }
    if (first == 0) break;
    const SkipLineKind kind = ClassifySkipLine(textAt_(first - 1));
    if (kind != SkipLineKind::PassedOver) {
      answer = kind == SkipLineKind::SkipInstruction ? 1 : 0;
      break;
    }
    --first;
  }
  for (std::size_t i = first; i <= index; ++i) known_[i] = answer;
  return answer == 1;
}
