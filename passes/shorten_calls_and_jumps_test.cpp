#include "passes/shorten_calls_and_jumps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "listing/working_state.h"
#include "passes/shorten_test_support.h"
#include "platform/vcl.h"

namespace {

using shorten_test::CrLfLines;
using shorten_test::ListingLine;
using shorten_test::ReadWholeFile;
using shorten_test::ScratchFolder;
using shorten_test::SetListing;
using shorten_test::SetSymbols;
using Lines = std::vector<std::string>;
using Symbols = std::vector<std::pair<std::string, std::int32_t>>;

// Records what the window shows: the gauge's progress each time it redraws, and the repaints.
class RecordingView : public TWindowView {
 public:
  void Paint(const TForm2& form) override { paints.push_back(form.MessageLabel.Caption); }
  void GaugeChanged(const TForm2& form) override { progress.push_back(form.Optimise_Gauge.Progress()); }
  void Closed(const TForm2&) override {}
  std::vector<std::string> paints;
  std::vector<int> progress;
};

class ShortenCallsAndJumpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorkingState();
    Form2.Reset();
    Form2.AttachView(&view_);
    SourceFileName = folder_.File("PROG.S");
  }
  void TearDown() override { Form2.Reset(); }

  // Source texts at consecutive word addresses from `start`.
  static Lines Program(std::int32_t start, const Lines& sources) {
    Lines lines;
    for (const std::string& source : sources) {
      lines.push_back(ListingLine(start, source));
      start += 2;
    }
    return lines;
  }

  bool Run(const Lines& listing, const Symbols& symbols = {}) {
    SetListing(listing);
    SetSymbols(symbols);
    return ShortenCallsAndJumps();
  }

  Lines Source() const { return CrLfLines(ReadWholeFile(SourceFileName)); }

  void WriteOldSource() { std::ofstream(SourceFileName, std::ios::binary) << "OLD SOURCE\r\n"; }
  void ExpectOldSourceAlone() {
    EXPECT_EQ(ReadWholeFile(SourceFileName), "OLD SOURCE\r\n");
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"PROG.S"}) << "a temporary file was left behind";
  }

  ScratchFolder folder_;
  RecordingView view_;
};

TEST_F(ShortenCallsAndJumpsTest, WritesEachLinesTextThePlaceholdersInstructionsAndEnd) {
  const Lines listing{
      ListingLine(-1, "; FIRST"),
      ListingLine(0x10, "    NOP;[BZ@] L2"),
      ListingLine(0x12, "L2  CLRF X"),
  };
  ASSERT_TRUE(Run(listing, {{"L2", 0x12}}));
  EXPECT_EQ(ReadWholeFile(SourceFileName), "; FIRST\r\n    BZ L2\r\nL2  CLRF X\r\n    END\r\n");
}

TEST_F(ShortenCallsAndJumpsTest, EachMarkerOnItsOwn) {
  // Each row: the source text of one placeholder at 0x1000, what replaces it, the growth.
  struct Case {
    const char* source;
    Lines written;
    int shift;
  } cases[] = {
      {"    NOP;@USE@_CALL NEAR", {"    RCALL NEAR"}, 0},
      {"    NOP;@USE@_CALL FAR", {"    CALL FAR"}, 2},
      {"    NOP;@USE@_CALL EDGE", {"    RCALL EDGE"}, 0},
      {"    NOP;@USE@_CALL BEYOND", {"    CALL BEYOND"}, 2},
      {"    NOP;@USE@_CALL MISSING", {"    CALL MISSING"}, 2},
      {"    NOP;@USE@_CALL LOWER", {"    CALL LOWER"}, 2},  // the table spells it lower
      {"    NOP;@USE@_CALL NEAR ; CALLED", {"    CALL NEAR ; CALLED"}, 2},
      {"    NOP;@USE@_CALL NEAR\t;TAB", {"    CALL NEAR\t;TAB"}, 2},
      {"    NOP;@USE@_GOTO NEAR", {"    BRA NEAR"}, 0},
      {"    NOP;@USE@_GOTO BACK", {"    BRA BACK"}, 0},
      {"    NOP;@USE@_GOTO FAR", {"    GOTO FAR"}, 2},
      {"NOP;@USE@_GOTO MISSING", {"    GOTO MISSING"}, 2},
      {"    NOP;[CALL@] SUB", {"    CALL SUB"}, 2},
      {"    NOP;[RCALL@] SUB", {"    RCALL SUB"}, 0},
      {"    NOP;[GOTO@] SUB", {"    GOTO SUB"}, 2},
      {"    NOP;[BRA@] SUB", {"    BRA SUB"}, 0},
      {"    NOP;[BZ@] L", {"    BZ L"}, 0},
      {"    NOP;[BNZ@] L", {"    BNZ L"}, 0},
      {"    NOP;[BOV@] L", {"    BOV L"}, 0},
      {"    NOP;[BNOV@] L", {"    BNOV L"}, 0},
      {"    NOP;[BN@] L", {"    BN L"}, 0},
      {"    NOP;[BNN@] L", {"    BNN L"}, 0},
      {"    NOP;[BC@] L", {"    BC L"}, 0},
      {"    NOP;[BNC@] L", {"    BNC L"}, 0},
      {"    NOP;[BNC@]   FAR  ;  KEPT", {"    BNC FAR  ;  KEPT"}, 0},
      {"    NOP;[BRA@]", {"    BRA "}, 0},
      {"NOP;[GOTO@]", {"    GOTO "}, 2},
      // A marker counts only as the line's first token; no later marker is tried then.
      {"    CLRF X ; NOP;@USE@_CALL NEAR", {"    CLRF X ; NOP;@USE@_CALL NEAR"}, 0},
      {"    NOP;[BZ@] L NOP;@USE@_CALL NEAR", {"    NOP;[BZ@] L NOP;@USE@_CALL NEAR"}, 0},
      {"    NOP;@USE@_TGOTO 1,A,1,NEAR NOP;[BC@] X", {"    NOP;@USE@_TGOTO 1,A,1,NEAR NOP;[BC@] X"}, 0},
      // Only blanks separate words: a tab next to a marker hides it.
      {"    NOP;@USE@_CALL\tNEAR", {"    NOP;@USE@_CALL\tNEAR"}, 0},
      {"\tNOP;@USE@_CALL NEAR", {"\tNOP;@USE@_CALL NEAR"}, 0},
      {"    NOP;[BZ@],L", {"    NOP;[BZ@],L"}, 0},
      {"    NOP;@USE@_CALLX NEAR", {"    NOP;@USE@_CALLX NEAR"}, 0},
      // A tab after the marker's blank is skipped like a blank.
      {"    NOP;@USE@_GOTO \tNEAR", {"    BRA NEAR"}, 0},
      // The bit-test marker: flag, register, bit, label, optional access.
      {"    NOP;@USE@_TGOTO 0,PORTB,3,BACK", {"    BTFSS PORTB,3", "    BRA BACK"}, 2},
      {"    NOP;@USE@_TGOTO 1,PORTB,3,BACK,0", {"    BTFSC PORTB,3,0", "    BRA BACK"}, 2},
      {"    NOP;@USE@_TGOTO 7,PORTB,3,BACK,1", {"    BTFSC PORTB,3,1", "    BRA BACK"}, 2},
      {"    NOP;@USE@_TGOTO 1,PORTB,3,BACK,2", {"    BTFSC PORTB,3", "    BRA BACK"}, 2},
      {"    NOP;@USE@_TGOTO 1,PORTB,3,BACK, 1", {"    BTFSC PORTB,3", "    BRA BACK"}, 2},
      {"    NOP;@USE@_TGOTO 1,PORTB,3,BACK,", {"    BTFSC PORTB,3", "    BRA BACK"}, 2},
      {"    NOP;@USE@_TGOTO 1,PORTB,3,BACK ,0", {"    BTFSC PORTB,3,0", "    BRA BACK"}, 2},
      {"    NOP;@USE@_TGOTO 1,PORTB,3,BACK ;IF X,1", {"    BTFSC PORTB,3", "    BRA BACK"}, 2},
      {"    NOP;@USE@_TGOTO   1,STATUS,2,CLOSE,0", {"    BZ CLOSE"}, 0},
      {"    NOP;@USE@_TGOTO 0,STATUS,0,CLOSE", {"    BNC CLOSE"}, 0},
      {"    NOP;@USE@_TGOTO 0,STATUS,1,CLOSE,1", {"    BTFSS STATUS,1,0", "    BRA CLOSE"}, 2},
      {"    NOP;@USE@_TGOTO 1,PORTB,3,CLOSE", {"    BTFSC PORTB,3", "    BRA CLOSE"}, 2},
      {"    NOP;@USE@_TGOTO 1,STATUS,2,FAR,0", {"    BTFSC STATUS,2,0", "    GOTO FAR"}, 4},
      {"    NOP;@USE@_TGOTO 1,PORTB,3,MISSING,0", {"    BTFSC PORTB,3,0", "    GOTO MISSING"}, 4},
      {"    NOP;@USE@_TGOTO 0,STATUS,2,MISSING", {"    BTFSS STATUS,2", "    GOTO MISSING"}, 4},
      // The characters after the flag and the bit are stepped over without a look.
      {"    NOP;@USE@_TGOTO 1XPORTB,3YBACK", {"    BTFSC PORTB,3", "    BRA BACK"}, 2},
      {"    NOP;@USE@_TGOTO 1,PORTB,12,BACK", {"    BTFSC PORTB,1", "    GOTO "}, 4},
  };
  const Symbols symbols{
      {"NEAR", 0x1000 + 300}, {"EDGE", 0x1000 + 1020}, {"BEYOND", 0x1000 + 1021}, {"BACK", 0x1000 - 600},
      {"FAR", 0x1000 + 5000}, {"lower", 0x1002},       {"CLOSE", 0x1000 + 100},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Run({ListingLine(0x1000, c.source)}, symbols)) << c.source;
    Lines expected = c.written;
    expected.push_back("    END");
    EXPECT_EQ(Source(), expected) << c.source;
    EXPECT_EQ(AddressShift, c.shift) << c.source;
  }
}

// The register name is kept to 42 characters and the label to 59; the cut label is looked up.
TEST_F(ShortenCallsAndJumpsTest, BitTestNamesAreCutToTheirBuffers) {
  const std::string reg = "R" + std::string(60, 'G');
  const std::string label = "L" + std::string(80, 'Q');
  const std::string cutLabel = label.substr(0, 59);
  ASSERT_TRUE(
      Run({ListingLine(0x1000, "    NOP;@USE@_TGOTO 1," + reg + ",1," + label + ",0")}, {{cutLabel, 0x1000 - 200}}));
  EXPECT_EQ(Source(), (Lines{"    BTFSC " + reg.substr(0, 42) + ",1,0", "    BRA " + cutLabel, "    END"}));
}

// The growth so far is added to both addresses, so it never changes a choice.
TEST_F(ShortenCallsAndJumpsTest, GrowthSoFarDoesNotChangeTheChoice) {
  const Lines listing = Program(0x100, {
                                           "    NOP;@USE@_CALL MISSING1",
                                           "    NOP;@USE@_TGOTO 1,X,1,MISSING2",
                                           "    NOP;@USE@_GOTO EDGE",
                                           "    NOP;@USE@_CALL BEYOND",
                                       });
  ASSERT_TRUE(Run(listing, {{"EDGE", 0x104 + 1020}, {"BEYOND", 0x106 - 1021}}));
  EXPECT_EQ(Source(), (Lines{"    CALL MISSING1", "    BTFSC X,1", "    GOTO MISSING2", "    BRA EDGE",
                             "    CALL BEYOND", "    END"}));
  EXPECT_EQ(AddressShift, 2 + 4 + 2);
}

TEST_F(ShortenCallsAndJumpsTest, InlineAssemblerBlocks) {
  struct Case {
    const char* name;
    bool secondStage;
    Lines sources;
    Lines written;
  } cases[] = {
      {"level 1, closed",
       false,
       {"A", "    ;[S@I@ASM]", "    NOP;@USE@_CALL NEAR", "    NOP;[BZ@] L", "    ;[E@I@ASM]", "    NOP;[BZ@] L"},
       {"A", "    NOP;@USE@_CALL NEAR", "    NOP;[BZ@] L", "    BZ L"}},
      {"level 3, closed",
       true,
       {"A", "    ;[S@I@ASM]", "    NOP;@USE@_CALL NEAR", "    ;[E@I@ASM]", "    NOP;[BZ@] L"},
       {"A", "    ;[S@I@ASM]", "    NOP;@USE@_CALL NEAR", "    ;[E@I@ASM]", "    BZ L"}},
      {"level 1, start marker behind an instruction",
       false,
       {"    CLRF X ;[S@I@ASM]", "    NOP;[BZ@] L", "    MOVF Y,W ;[E@I@ASM]", "B"},
       {"    NOP;[BZ@] L", "B"}},
      {"level 1, unclosed",
       false,
       {"A", ";[S@I@ASM]", "    NOP;[BZ@] L", "    END"},
       {"A", "    NOP;[BZ@] L", "    END"}},
      {"level 3, unclosed",
       true,
       {"A", ";[S@I@ASM]", "    NOP;[BZ@] L", "C"},
       {"A", ";[S@I@ASM]", "    NOP;[BZ@] L", "C"}},
      {"level 1, empty block", false, {";[S@I@ASM]", ";[E@I@ASM]", "NOP;[BC@] L"}, {"    BC L"}},
      // A tab hides the end marker, as it hides any word.
      {"level 3, end marker behind a tab",
       true,
       {";[S@I@ASM]", "\t;[E@I@ASM]", "NOP;[BC@] L"},
       {";[S@I@ASM]", "\t;[E@I@ASM]", "NOP;[BC@] L"}},
  };
  for (const Case& c : cases) {
    SecondStage = c.secondStage;
    ASSERT_TRUE(Run(Program(0x200, c.sources), {{"NEAR", 0x210}})) << c.name;
    Lines expected = c.written;
    expected.push_back("    END");
    EXPECT_EQ(Source(), expected) << c.name;
  }
}

TEST_F(ShortenCallsAndJumpsTest, GaugeMovesEvery40LinesAndFillsAtTheEnd) {
  struct Case {
    const char* name;
    int blockStart, blockEnd;  // line indices of the block's marker lines, -1 for none
    int lines;
    std::vector<int> progress;  // as redrawn: the new maximum first, then each new percentage
  } cases[] = {
      {"100 lines", -1, -1, 100, {0, 40, 80, 100}},
      {"a block over line 40", 35, 45, 100, {0, 80, 100}},
      {"a block ending at line 39", 30, 39, 100, {0, 40, 80, 100}},
      {"fewer than 40 lines", -1, -1, 39, {0, 39}},
  };
  for (const Case& c : cases) {
    Lines sources;
    for (int i = 0; i < c.lines; ++i) {
      if (i == c.blockStart)
        sources.push_back(";[S@I@ASM]");
      else if (i == c.blockEnd)
        sources.push_back(";[E@I@ASM]");
      else
        sources.push_back("    CLRF X");
    }
    Form2.Reset();
    Form2.AttachView(&view_);
    view_.progress.clear();
    view_.paints.clear();
    ASSERT_TRUE(Run(Program(0, sources))) << c.name;
    EXPECT_EQ(view_.progress, c.progress) << c.name;
    EXPECT_EQ(Form2.Optimise_Gauge.MaxValue(), c.lines) << c.name;
    // The window repaints once, at the end, showing the pass's message.
    EXPECT_EQ(view_.paints, std::vector<std::string>{"Optimising. Please Wait..."}) << c.name;
  }
}

TEST_F(ShortenCallsAndJumpsTest, ListingsOwnEndIsCopiedAndAnotherFollows) {
  ASSERT_TRUE(Run(Program(0, {"    CLRF X", "    END"})));
  EXPECT_EQ(Source(), (Lines{"    CLRF X", "    END", "    END"}));
}

TEST_F(ShortenCallsAndJumpsTest, ShortListingLinesHaveEmptyTextAndTrailingBlanksGo) {
  ASSERT_TRUE(Run({"000010 0000", ListingLine(0x12, "    NOP;[BZ@] L   "), std::string(40, ' ')}));
  EXPECT_EQ(Source(), (Lines{"", "    BZ L", "", "    END"}));
}

// A skip passes over one instruction. In a nested test the inner bit test may become a skip
// and a jump; the outer test must then keep its own skip and jump too.
TEST_F(ShortenCallsAndJumpsTest, NestedBitTestKeepsBothInstructions) {
  struct Case {
    const char* name;
    const char* inner;
    Lines written;
  } cases[] = {
      {"inner bit test",
       "    NOP;@USE@_TGOTO 1,FLAGS,1,FAR",
       {"    BTFSC FLAGS,0,0", "    BRA L1", "    BTFSC FLAGS,1", "    GOTO FAR", "L1  CLRF X", "    END"}},
      {"inner call", "    NOP;@USE@_CALL FAR", {"    BTFSS FLAGS,0,0", "    CALL FAR", "L1  CLRF X", "    END"}},
  };
  for (const Case& c : cases) {
    OptimiseLevel = 2;
    const Lines listing =
        Program(0x300, {"    NOP;[GOTO@] START", "    NOP;@USE@_TGOTO 1,FLAGS,0,L1,0", c.inner, "L1  CLRF X"});
    ASSERT_TRUE(Run(listing, {{"L1", 0x306}})) << c.name;
    Lines expected{"    GOTO START"};
    expected.insert(expected.end(), c.written.begin(), c.written.end());
    EXPECT_EQ(Source(), expected) << c.name;
  }
}

// The new source replaces the old one only when the whole pass has succeeded.
TEST_F(ShortenCallsAndJumpsTest, FailedPassKeepsThePreviousSource) {
  struct Case {
    const char* name;
    Lines listing;
  } cases[] = {
      {"empty listing", {}},
      {"block starting on the last line", Program(0, {"    CLRF X", "    NOP ;[S@I@ASM]"})},
      {"bit test without its flag", Program(0, {"    CLRF X", "    NOP;@USE@_TGOTO"})},
      {"bit test without its bit number", Program(0, {"    NOP;@USE@_TGOTO 1,PORTB"})},
      {"bit test without its bit number after the comma", Program(0, {"    NOP;@USE@_TGOTO 1,PORTB,"})},
  };
  for (const Case& c : cases) {
    WriteOldSource();
    EXPECT_FALSE(Run(c.listing)) << c.name;
    ExpectOldSourceAlone();
  }
}

TEST_F(ShortenCallsAndJumpsTest, SourceThatCannotBeWrittenFails) {
  // No folder to put it in.
  SourceFileName = folder_.File("MISSING/PROG.S");
  EXPECT_FALSE(Run(Program(0, {"    CLRF X"})));
  // A folder of that name: the finished file cannot be renamed over it.
  SourceFileName = folder_.File("PROG.S");
  std::filesystem::create_directory(SourceFileName);
  EXPECT_FALSE(Run(Program(0, {"    CLRF X"})));
  EXPECT_TRUE(std::filesystem::is_directory(SourceFileName));
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"PROG.S"});
}

TEST_F(ShortenCallsAndJumpsTest, SuccessReplacesTheSourceAndLeavesNoTemporaryFile) {
  WriteOldSource();
  ASSERT_TRUE(Run(Program(0, {"    CLRF X"})));
  EXPECT_EQ(ReadWholeFile(SourceFileName), "    CLRF X\r\n    END\r\n");
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"PROG.S"});
}

}  // namespace
