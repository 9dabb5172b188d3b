#include "passes/skip_instruction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SkipInstructionTest, ClassifiesLinesByTheirWordsBeforeAnyComment) {
  struct Case {
    const char* text;
    SkipLineKind kind;
  } cases[] = {
      {"    BTFSC STATUS,2,0", SkipLineKind::SkipInstruction},
      {"    BTFSS FLAGS,0", SkipLineKind::SkipInstruction},
      {"    CPFSEQ X,0", SkipLineKind::SkipInstruction},
      {"    CPFSGT X,0", SkipLineKind::SkipInstruction},
      {"    CPFSLT X,0", SkipLineKind::SkipInstruction},
      {"    DECFSZ COUNT,F", SkipLineKind::SkipInstruction},
      {"    DCFSNZ COUNT,F", SkipLineKind::SkipInstruction},
      {"    INCFSZ COUNT,F", SkipLineKind::SkipInstruction},
      {"    INFSNZ COUNT,F", SkipLineKind::SkipInstruction},
      {"    TSTFSZ COUNT", SkipLineKind::SkipInstruction},
      {"\tbtfss\tflags,0", SkipLineKind::SkipInstruction},      // lower case, tabs
      {"LOOP BTFSC PORTB,1", SkipLineKind::SkipInstruction},    // behind a label
      {"LOOP\tDecfSz\tX", SkipLineKind::SkipInstruction},
      {"", SkipLineKind::PassedOver},
      {"   \t ", SkipLineKind::PassedOver},
      {"; BTFSC X,0 in a comment", SkipLineKind::PassedOver},
      {"  \t; comment", SkipLineKind::PassedOver},
      {"LABEL EQU $", SkipLineKind::PassedOver},
      {"X\tequ\t5", SkipLineKind::PassedOver},
      {"LABEL", SkipLineKind::PassedOver},
      {"LABEL: ; with a comment", SkipLineKind::PassedOver},
      {"    NOP", SkipLineKind::PassedOver},
      {"    MOVLW 5", SkipLineKind::OtherLine},
      {"    CLRF X ; BTFSC in the comment", SkipLineKind::OtherLine},
      {"    MOVF BTFSCX,W", SkipLineKind::OtherLine},  // a word only containing a mnemonic
      {"    MOVLW EQUATE", SkipLineKind::OtherLine},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ClassifySkipLine(c.text), c.kind) << "[" << c.text << "]";
}

TEST(SkipInstructionTest, LooksBackPastPassedOverLinesToTheNearestOther) {
  struct Case {
    const char* name;
    std::vector<std::string> before;  // the lines before the one asked about
    bool preceded;
  } cases[] = {
      {"first line", {}, false},
      {"directly after a skip", {"    BTFSS FLAGS,0"}, true},
      {"after a plain instruction", {"    BTFSS FLAGS,0", "    CLRF X"}, false},
      {"over blank, comment, EQU and label", {"    DECFSZ N,F", "", "; note", "L1 EQU $", "L2"}, true},
      {"only passed-over lines", {"", "; note", "LABEL"}, false},
      {"skip beyond a non-skip", {"    BTFSC X,0", "    MOVLW 1", "; c"}, false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = c.before;
    lines.push_back("    MOVLB 1");
    SkipShadow shadow(lines.size(), [&lines](std::size_t i) -> std::string_view { return lines.at(i); });
    EXPECT_EQ(shadow.PrecededBySkipInstruction(lines.size() - 1), c.preceded) << c.name;
  }
}

TEST(SkipInstructionTest, RememberedAnswersAgreeWithFreshOnesInAnyOrder) {
  const std::vector<std::string> lines = {"    BTFSS A,0", "; c", "L1", "    MOVLB 1", "", "    BTFSC B,1",
                                          "X EQU $",       "",    "    CLRF Y", "; d", "    MOVLB 2"};
  const bool expected[] = {false, true, true, true, false, false, true, true, true, false, false};
  auto textAt = [&lines](std::size_t i) -> std::string_view { return lines.at(i); };
  SkipShadow backwards(lines.size(), textAt);
  for (std::size_t i = lines.size(); i-- > 0;)
    EXPECT_EQ(backwards.PrecededBySkipInstruction(i), expected[i]) << "backwards, line " << i;
  SkipShadow forwards(lines.size(), textAt);
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(forwards.PrecededBySkipInstruction(i), expected[i]) << "forwards, line " << i;
}

}  // namespace
