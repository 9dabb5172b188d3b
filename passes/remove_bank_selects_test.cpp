#include "passes/remove_bank_selects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/working_state.h"
#include "passes/pass_test_folder.h"
#include "platform/recording_view_test.h"
#include "platform/vcl.h"

namespace {

using Lines = std::vector<std::string>;

const std::string End = "    END";
std::string Movlb(int bank) { return "    MOVLB " + std::to_string(bank); }

class RemoveBankSelectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorkingState();
    Form2.Reset();
    Form2.AttachView(&view);
    SourceFileName = folder.File("PROG.S");
  }
  void TearDown() override { Form2.Reset(); }

  struct Case {
    const char* name;
    Lines input;
    Lines output;
  };
  void Check(const Case& c) {
    WriteBytes(SourceFileName, CrLfLines(c.input));
    EXPECT_TRUE(RemoveBankSelects()) << c.name;
    EXPECT_EQ(TestTempDir::Read(SourceFileName), CrLfLines(c.output)) << c.name;
  }

  TestTempDir folder;
  CountingView view;
};

TEST_F(RemoveBankSelectsTest, RunsOfAdjacentBankSelectsKeepTheirLastOverride) {
  const Case cases[] = {
      {"two", {Movlb(1), Movlb(2), End}, {Movlb(2), End}},
      {"two equal", {Movlb(1), Movlb(1), End}, {Movlb(1), End}},
      {"three", {Movlb(1), Movlb(2), Movlb(3), End}, {Movlb(3), End}},
      {"four", {Movlb(1), Movlb(2), Movlb(3), Movlb(4), End}, {Movlb(4), End}},
      {"five leave the fourth and fifth", {Movlb(1), Movlb(2), Movlb(3), Movlb(4), Movlb(5), End},
       {Movlb(4), Movlb(5), End}},
      {"single", {"    CLRF X", Movlb(1), "    CLRF Y", End}, {"    CLRF X", Movlb(1), "    CLRF Y", End}},
      {"survivor's comment upper-cased", {Movlb(1), "    movlb 2 ; bank two", End}, {"    MOVLB 2 ; BANK TWO", End}},
      {"tabs before the mnemonic", {"\tMOVLB 1", "\t\tMOVLB 2", End}, {Movlb(2), End}},
      {"tab after the mnemonic is no MOVLB", {"    MOVLB\t1", "    movlb\t2", End}, {"    MOVLB\t1", "    MOVLB\t2", End}},
      {"tab only in the candidate", {Movlb(1), "    MOVLB\t2", End}, {Movlb(1), "    MOVLB\t2", End}},
      {"a comma ends the mnemonic too", {"    MOVLB,1", Movlb(2), End}, {Movlb(2), End}},
  };
  for (const Case& c : cases) Check(c);
}

TEST_F(RemoveBankSelectsTest, OneInterveningLabelOrLiteralLineInTheFirstSweepOnly) {
  const Case cases[] = {
      {"EQU $ label", {Movlb(1), "L1 EQU $", Movlb(2), End}, {"L1 EQU $", Movlb(2), End}},
      {"MOVLW", {Movlb(1), "    MOVLW 5", Movlb(2), End}, {"    MOVLW 5", Movlb(2), End}},
      {"IORLW", {Movlb(1), "    IORLW 5", Movlb(2), End}, {"    IORLW 5", Movlb(2), End}},
      {"XORLW", {Movlb(1), "    XORLW 5", Movlb(2), End}, {"    XORLW 5", Movlb(2), End}},
      {"SUBLW", {Movlb(1), "    SUBLW 5", Movlb(2), End}, {"    SUBLW 5", Movlb(2), End}},
      {"ANDLW", {Movlb(1), "    ANDLW 5", Movlb(2), End}, {"    ANDLW 5", Movlb(2), End}},
      {"ADDLW lower case", {Movlb(1), "    addlw 5", Movlb(2), End}, {"    ADDLW 5", Movlb(2), End}},
      {"two intervening lines", {Movlb(1), "    MOVLW 5", "L1 EQU $", Movlb(2), End},
       {Movlb(1), "    MOVLW 5", "L1 EQU $", Movlb(2), End}},
      {"blank line", {Movlb(1), "", Movlb(2), End}, {Movlb(1), "", Movlb(2), End}},
      {"comment line", {Movlb(1), "; select bank", Movlb(2), End}, {Movlb(1), "; SELECT BANK", Movlb(2), End}},
      {"comment holding a searched text", {Movlb(1), "; movlw here", Movlb(2), End}, {"; MOVLW HERE", Movlb(2), End}},
      {"searched text without its blank", {Movlb(1), "; USE MOVLW", Movlb(2), End}, {Movlb(1), "; USE MOVLW", Movlb(2), End}},
      {"other instruction", {Movlb(1), "    CLRF X", Movlb(2), End}, {Movlb(1), "    CLRF X", Movlb(2), End}},
      {"EQU without $", {Movlb(1), "X EQU 5", Movlb(2), End}, {Movlb(1), "X EQU 5", Movlb(2), End}},
      {"second sweep allows none", {Movlb(1), "    MOVLW 5", Movlb(2), "    MOVLW 6", Movlb(3), End},
       {"    MOVLW 5", Movlb(2), "    MOVLW 6", Movlb(3), End}},
      {"survivor not examined again in its sweep", {Movlb(1), "    MOVLW 5", Movlb(2), Movlb(3), End},
       {"    MOVLW 5", Movlb(3), End}},
  };
  for (const Case& c : cases) Check(c);
}

TEST_F(RemoveBankSelectsTest, InlineAssemblerBlocksAreCopiedInTheirOwnCase) {
  const Case cases[] = {
      {"bank selects around and inside a block",
       {Movlb(1), ";[S@I@ASM]", "    movlb 2", "    movlb 3", ";[E@I@ASM]", "    movlb 4", End},
       {Movlb(1), ";[S@I@ASM]", "    movlb 2", "    movlb 3", ";[E@I@ASM]", Movlb(4), End}},
      {"start line keeps only its marker", {"  \t;[S@I@ASM] inline code", "\tmovwf x", ";[E@I@ASM] tail", "    nop", End},
       {";[S@I@ASM]", "\tmovwf x", ";[E@I@ASM] tail", "    NOP", End}},
      {"a lower-case end marker does not close",
       {";[S@I@ASM]", ";[e@i@asm]", "    movlb 1", "  ;[E@I@ASM]", "    movlb 2", "    movlb 3", End},
       {";[S@I@ASM]", ";[e@i@asm]", "    movlb 1", "  ;[E@I@ASM]", Movlb(3), End}},
      {"marker not first is an ordinary line", {"    NOP ;[S@I@ASM]", Movlb(1), Movlb(2), End},
       {"    NOP ;[S@I@ASM]", Movlb(2), End}},
  };
  for (const Case& c : cases) Check(c);
}

TEST_F(RemoveBankSelectsTest, WritesUpperCaseAsciiOnlyWithCrLfWhateverTheLineEnds) {
  WriteBytes(SourceFileName,
                        "    movlb 1\r    movlb 2\n\n    movlw 0x1f ; caf\xc3\xa9\r\n    movlb 3\n    end");
  ASSERT_TRUE(RemoveBankSelects());
  EXPECT_EQ(TestTempDir::Read(SourceFileName),
            CrLfLines({Movlb(2), "", "    MOVLW 0X1F ; CAF\xc3\xa9", Movlb(3), End}));
}

TEST_F(RemoveBankSelectsTest, ShowsItsMessageButNeitherGaugeNorRepaint) {
  WriteBytes(SourceFileName, CrLfLines({Movlb(1), Movlb(2), End}));
  ASSERT_TRUE(RemoveBankSelects());
  EXPECT_EQ(Form2.MessageLabel.Caption, "Optimising. Please Wait...");
  EXPECT_EQ(view.paints, 0);
  EXPECT_EQ(view.gaugeRedraws, 0);
}

// A skip instruction skips the one instruction after it: a MOVLB in that place may only be
// taken away together with the skip's meaning, so it stays.
TEST_F(RemoveBankSelectsTest, BankSelectsInTheShadowOfASkipStay) {
  const Case cases[] = {
      {"skip before a pair", {"    BTFSS FLAGS,0", Movlb(1), Movlb(2), End},
       {"    BTFSS FLAGS,0", Movlb(1), Movlb(2), End}},
      {"skip seen past comment, blank and label", {"\tbtfss\tflags,0", "; c", "", "L1", Movlb(1), Movlb(2), End},
       {"\tBTFSS\tFLAGS,0", "; C", "", "L1", Movlb(1), Movlb(2), End}},
      {"skip before a pair with an intervening line", {"    DECFSZ N,F", Movlb(1), "    MOVLW 5", Movlb(2), End},
       {"    DECFSZ N,F", Movlb(1), "    MOVLW 5", Movlb(2), End}},
      {"skip ending an inline block", {";[S@I@ASM]", "\tbtfss\tx,0", ";[E@I@ASM]", Movlb(1), Movlb(2), End},
       {";[S@I@ASM]", "\tbtfss\tx,0", ";[E@I@ASM]", Movlb(1), Movlb(2), End}},
      {"skip as the intervening line", {Movlb(1), "    BTFSS X,0 ; MOVLW ", Movlb(2), End},
       {Movlb(1), "    BTFSS X,0 ; MOVLW ", Movlb(2), End}},
      {"any instruction between", {"    BTFSS FLAGS,0", "    CLRF X", Movlb(1), Movlb(2), End},
       {"    BTFSS FLAGS,0", "    CLRF X", Movlb(2), End}},
      {"skip only in a comment", {"    CLRF X ; BTFSS", Movlb(1), Movlb(2), End}, {"    CLRF X ; BTFSS", Movlb(2), End}},
      {"the rest of a run still goes", {"    INCFSZ N,F", Movlb(1), Movlb(2), Movlb(3), End},
       {"    INCFSZ N,F", Movlb(1), Movlb(3), End}},
      // After the first sweep a skipped MOVLB 1 stands right before the pair MOVLB 3, MOVLB 4:
      // the second sweep must keep it too.
      {"second sweep", {"    TSTFSZ N", Movlb(1), Movlb(2), Movlb(3), Movlb(4), End},
       {"    TSTFSZ N", Movlb(1), Movlb(4), End}},
  };
  for (const Case& c : cases) Check(c);
}

TEST_F(RemoveBankSelectsTest, FailureLeavesTheSourceAsItWas) {
  struct Failure {
    const char* name;
    std::string source;
  } failures[] = {
      {"empty file", ""},
      {"bank select on the last line", CrLfLines({"    NOP", Movlb(1)})},
      {"skipped bank select on the last line", CrLfLines({"    BTFSS X,0", Movlb(1)})},
      {"intervening line last", CrLfLines({"    NOP", Movlb(1), "    MOVLW 5"})},
      {"block not closed", CrLfLines({";[S@I@ASM]", "    movlb 1", Movlb(2), Movlb(3)})},
      {"block closed only in lower case", CrLfLines({";[S@I@ASM]", ";[e@i@asm]", End})},
  };
  for (const Failure& f : failures) {
    WriteBytes(SourceFileName, f.source);
    EXPECT_FALSE(RemoveBankSelects()) << f.name;
    EXPECT_EQ(TestTempDir::Read(SourceFileName), f.source) << f.name;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"PROG.S"}) << f.name;
  }
  SourceFileName = folder.File("MISSING.S");
  EXPECT_FALSE(RemoveBankSelects());
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"PROG.S"});
}

}  // namespace
