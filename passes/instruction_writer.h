#pragma once
// Writes the shortest call, jump or jump on a bit whose reach the distance allows, in place
// of one placeholder word, and adds the extra bytes it writes to AddressShift.
//
// Each writer is a choice of form by distance followed by the writing of that form; the call
// and jump shortening pass uses the two halves apart, so that it can lengthen a chosen form
// whose label the grown code would put out of reach before anything is written.
#include <cstdint>
#include <string_view>

#include "listing/text_file.h"

void WriteCall(TextFileWriter& out, std::int32_t origin, std::int32_t target, std::string_view label);
void WriteJump(TextFileWriter& out, std::int32_t origin, std::int32_t target, std::string_view label);
void WriteConditionalJump(TextFileWriter& out, std::int32_t origin, std::int32_t target, int jumpIfSet,
                          std::string_view reg, int bit, std::string_view label, int access);

// What can take a placeholder word's place.
enum class PlaceholderForm : std::uint8_t {
  RelativeCall,          // RCALL L
  LongCall,              // CALL L (two words)
  RelativeJump,          // BRA L
  LongJump,              // GOTO L (two words)
  SingleSkip,            // BTFSx R,B: skips the one word that lies before the label
  ConditionalBranch,     // BC/BNC/BZ/BNZ/BOV/BNOV/BN/BNN L
  DigitCarrySkipAndBra,  // BTFSx STATUS,1,0 then BRA L: the digit carry has no branch of its own
  SkipAndBra,            // BTFSx R,B then BRA L
  SkipAndGoto,           // BTFSx R,B then GOTO L
};

// Bytes of program memory the form takes.
int FormBytes(PlaceholderForm form);
// Instructions the form is written as (a skip instruction skips exactly one of them).
int FormInstructions(PlaceholderForm form);
// The next longer form, which reaches further; CALL, GOTO and skip + GOTO reach everywhere
// and stay as they are.
PlaceholderForm LongerForm(PlaceholderForm form);

// The operands of a jump on a bit: jumpIfSet 0 jumps when the bit is clear; access 0 or 1
// is written as ",0" or ",1" behind the bit number, any other value as nothing.
struct BitTest {
  int jumpIfSet = 1;
  std::string_view reg;
  int bit = 0;
  int access = -1;
};

// The choices by distance (origin: the placeholder's address; target: the label's).
PlaceholderForm ChooseCallForm(std::int32_t origin, std::int32_t target);
PlaceholderForm ChooseJumpForm(std::int32_t origin, std::int32_t target);
// Reads OptimiseLevel; and, for the single skip, the listing line LineIndex (the placeholder)
// and the lines after it.
PlaceholderForm ChooseConditionalJumpForm(std::int32_t origin, std::int32_t target, std::string_view reg, int bit);

// Whether a listing line after line LineIndex, at the address 2 bytes past that line's, has
// the bit-test placeholder as its first source token. Such a word may become two
// instructions, so a single skip must not be placed over it.
bool NextWordIsBitTestPlaceholder();

// Writes the lines of `form` and adds the bytes it takes beyond one word to AddressShift.
// `test` is looked at only by the forms that test a bit.
void WritePlaceholderForm(TextFileWriter& out, PlaceholderForm form, const BitTest& test, std::string_view label);
