#pragma once
// The forms are chosen from distances in the first listing, where every placeholder is one
// word. The new source grows where placeholders become two or three words, and a branch
// chosen near its limit can then end up too far from its label for the PIC18 to reach it.
// This lengthens exactly those forms, before anything is written.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "passes/instruction_writer.h"

// One placeholder of the listing and the form it is to be written as.
struct PlacedForm {
  std::int32_t address;  // listing address of the placeholder word; -1 when the listing gives none
  std::int32_t target;   // listing address of its label (looked at only when not fixed)
  PlaceholderForm form;
  bool fixed;  // named by the compiler, or long for want of a label: never changed
};

// The real reach of the PIC18's relative instructions, as label address minus instruction
// address in bytes (the offset counts words from the instruction after it).
constexpr std::int64_t BraReachBack = -2046;      // RCALL and BRA: -1024 words
constexpr std::int64_t BraReachForward = 2048;    // +1023 words
constexpr std::int64_t BranchReachBack = -254;    // BC ... BNN: -128 words
constexpr std::int64_t BranchReachForward = 256;  // +127 words

// Final address of every instruction and label: its listing address plus the growth of the
// placeholders at lower listing addresses. Each form that would not reach its label under
// those addresses is replaced by its next longer form, and the check runs again until every
// form reaches. Returns the number of lengthenings made; forms that reach are left alone.
std::size_t LengthenFormsOutOfReach(std::vector<PlacedForm>& forms);
