#pragma once
// A PIC18 skip instruction (BTFSC, DECFSZ, ...) skips exactly the one instruction that follows
// it. A pass that folds, drops or splits that instruction changes what the skip skips, so the
// rewriting passes ask first whether a line stands in the shadow of a skip.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// How a line counts when looking back for the instruction before another one.
enum class SkipLineKind {
  PassedOver,       // empty, comment only, an EQU, or a single word (a bare label)
  SkipInstruction,  // its words before any ';' include a skip mnemonic
  OtherLine,        // anything else: an instruction that skips nothing, a directive, ...
};

// Words are runs between blanks and tabs, taken before the first ';' and compared upper-cased.
SkipLineKind ClassifySkipLine(std::string_view text);

// Answers, for any line of one fixed list, whether the nearest earlier line that is not passed
// over is a skip instruction. Answers are remembered, so that a long run of comments or labels
// is walked once however many lines ask about it.
class SkipShadow {
 public:
  using TextAt = std::function<std::string_view(std::size_t)>;
  SkipShadow(std::size_t count, TextAt textAt);
  bool PrecededBySkipInstruction(std::size_t index);

 private:
  TextAt textAt_;
  std::vector<std::int8_t> known_;  // per line: -1 not asked yet, else the answer
};
