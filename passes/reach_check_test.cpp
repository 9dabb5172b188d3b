#include "passes/reach_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "listing/working_state.h"
#include "passes/shorten_calls_and_jumps.h"
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

constexpr std::int32_t BranchAddress = 0x4000;
// Placeholders whose labels the symbol table lacks: written as skip + GOTO (4 bytes more than
// the listed word) and as CALL (2 bytes more).
constexpr const char* BitTestGrower = "    NOP;@USE@_TGOTO 1,G,0,NOWHERE,0";
constexpr const char* CallGrower = "    NOP;@USE@_CALL NOWHERE";
constexpr const char* Fence = "; FENCE";

// The placeholders between a branch and its label.
struct Growth {
  int bitTests;  // +4 bytes each
  int calls;     // +2 bytes each
  int Bytes() const { return 4 * bitTests + 2 * calls; }
};

class ReachTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorkingState();
    Form2.Reset();
    SourceFileName = folder_.File("PROG.S");
  }
  void TearDown() override { Form2.Reset(); }

  static Lines Growers(std::int32_t from, Growth growth) {
    Lines lines;
    for (int i = 0; i < growth.bitTests + growth.calls; ++i, from += 2)
      lines.push_back(ListingLine(from, i < growth.bitTests ? BitTestGrower : CallGrower));
    return lines;
  }

  // The branch at BranchAddress, its label `delta` bytes away, the growing placeholders
  // between them, and optionally more of them before the branch and after the label. Fence
  // lines on either side of the branch pick out the lines written for it.
  Lines WrittenBranch(const std::string& branch, std::int32_t delta, Growth between, Growth outside = {0, 0}) {
    const std::int32_t label = BranchAddress + delta;
    const std::int32_t outsideBytes = 2 * (outside.bitTests + outside.calls);
    Lines listing = Growers(std::min(BranchAddress, label) - outsideBytes, outside);
    if (delta < 0) Append(listing, Growers(label, between));
    Append(listing, {ListingLine(-1, Fence), ListingLine(BranchAddress, branch), ListingLine(-1, Fence)});
    if (delta > 0) Append(listing, Growers(BranchAddress + 2, between));
    Append(listing, Growers(std::max(BranchAddress, label) + 2, outside));
    SetListing(listing);
    SetSymbols({{"L", label}});
    EXPECT_TRUE(ShortenCallsAndJumps());
    const Lines source = CrLfLines(ReadWholeFile(SourceFileName));
    const auto first = std::find(source.begin(), source.end(), Fence);
    const auto second = first == source.end() ? first : std::find(first + 1, source.end(), Fence);
    if (second == source.end()) return {"fences missing"};
    return Lines(first + 1, second);
  }

  static void Append(Lines& lines, const Lines& more) { lines.insert(lines.end(), more.begin(), more.end()); }

  ScratchFolder folder_;
};

// The final distance counts from the branch instruction to the label, in bytes:
// RCALL and BRA reach -2046..+2048, the conditional branches -254..+256.
TEST_F(ReachTest, RelativeCallsAndJumpsAtTheEdgeOfTheirReach) {
  struct Case {
    const char* marker;
    const char* relative;
    const char* absolute;
  } markers[] = {{"    NOP;@USE@_CALL L", "    RCALL L", "    CALL L"},
                 {"    NOP;@USE@_GOTO L", "    BRA L", "    GOTO L"}};
  struct Edge {
    std::int32_t delta;
    Growth between;
    bool reaches;
  } edges[] = {
      {1020, {257, 0}, true},    // 1020 + 1028 = +2048
      {1020, {257, 1}, false},   // +2050
      {-1020, {256, 1}, true},   // -1020 - 1026 = -2046
      {-1020, {257, 0}, false},  // -2048
      {1000, {200, 0}, true},    // well inside
  };
  for (const Case& m : markers) {
    for (const Edge& e : edges) {
      const std::string row =
          std::string(m.marker) + " " + std::to_string(e.delta) + " + " + std::to_string(e.between.Bytes());
      EXPECT_EQ(WrittenBranch(m.marker, e.delta, e.between), Lines{e.reaches ? m.relative : m.absolute}) << row;
    }
  }
}

TEST_F(ReachTest, ConditionalBranchesAtTheEdgeOfTheirReach) {
  struct Case {
    int bit;
    int jumpIfSet;
    const char* branch;
    const char* skip;  // the skip line that goes with a BRA instead
  } conditions[] = {
      {0, 1, "BC", "BTFSC STATUS,0,0"},  {0, 0, "BNC", "BTFSS STATUS,0,0"}, {2, 1, "BZ", "BTFSC STATUS,2,0"},
      {2, 0, "BNZ", "BTFSS STATUS,2,0"}, {3, 1, "BOV", "BTFSC STATUS,3,0"}, {3, 0, "BNOV", "BTFSS STATUS,3,0"},
      {4, 1, "BN", "BTFSC STATUS,4,0"},  {4, 0, "BNN", "BTFSS STATUS,4,0"},
  };
  struct Edge {
    std::int32_t delta;
    Growth between;
    bool reaches;
  } edges[] = {
      {120, {34, 0}, true},    // 120 + 136 = +256
      {120, {34, 1}, false},   // +258
      {-120, {33, 1}, true},   // -120 - 134 = -254
      {-120, {34, 0}, false},  // -256
  };
  for (const Case& c : conditions) {
    const std::string marker =
        "    NOP;@USE@_TGOTO " + std::to_string(c.jumpIfSet) + ",STATUS," + std::to_string(c.bit) + ",L,0";
    for (const Edge& e : edges) {
      const Lines expected =
          e.reaches ? Lines{std::string("    ") + c.branch + " L"} : Lines{std::string("    ") + c.skip, "    BRA L"};
      EXPECT_EQ(WrittenBranch(marker, e.delta, e.between), expected)
          << c.branch << " " << e.delta << " + " << e.between.Bytes();
    }
  }
}

// The BRA of skip + BRA is one word after the skip: it must reach from there.
TEST_F(ReachTest, SkipAndBraAtTheEdgeOfItsReach) {
  struct Edge {
    std::int32_t delta;
    Growth between;
    bool reaches;
  } edges[] = {
      {1022, {256, 1}, true},    // 1022 + 1026 = +2048 from the BRA
      {1022, {257, 0}, false},   // +2050
      {-1022, {255, 1}, true},   // -1022 - 1022 - 2 = -2046
      {-1022, {256, 0}, false},  // -2048
  };
  for (const Edge& e : edges) {
    const Lines expected{"    BTFSS PORTB,3,1", e.reaches ? "    BRA L" : "    GOTO L"};
    EXPECT_EQ(WrittenBranch("    NOP;@USE@_TGOTO 0,PORTB,3,L,1", e.delta, e.between), expected)
        << e.delta << " + " << e.between.Bytes();
  }
}

// Growth before the branch moves branch and label alike; growth after the label moves neither.
TEST_F(ReachTest, GrowthOutsideTheSpanDoesNotCount) {
  EXPECT_EQ(WrittenBranch("    NOP;@USE@_CALL L", 1020, {257, 0}, {100, 100}), Lines{"    RCALL L"});
  EXPECT_EQ(WrittenBranch("    NOP;@USE@_CALL L", -1020, {256, 1}, {100, 100}), Lines{"    RCALL L"});
  EXPECT_EQ(WrittenBranch("    NOP;@USE@_TGOTO 1,STATUS,2,L,0", 120, {34, 0}, {50, 3}), Lines{"    BZ L"});
}

// A bit test on Z 118 bytes before its label, with 58 bit tests to far labels between: the
// branch chosen from the listing would end 350 bytes from its label.
TEST_F(ReachTest, BranchOverGrownBitTestsBecomesSkipAndBra) {
  Lines listing{ListingLine(0, "    NOP;@USE@_TGOTO 1,STATUS,2,L,0")};
  for (int i = 0; i < 58; ++i) listing.push_back(ListingLine(2 + 2 * i, "    NOP;@USE@_TGOTO 1,PORTA,0,FAR,0"));
  listing.push_back(ListingLine(118, "L   CLRF X"));
  SetListing(listing);
  SetSymbols({{"L", 118}, {"FAR", 0x2000}});
  ASSERT_TRUE(ShortenCallsAndJumps());
  const Lines source = CrLfLines(ReadWholeFile(SourceFileName));
  ASSERT_EQ(source.size(), 2u + 2 * 58 + 2);
  EXPECT_EQ(source[0], "    BTFSC STATUS,2,0");
  EXPECT_EQ(source[1], "    BRA L");
  EXPECT_EQ(source[2], "    BTFSC PORTA,0,0");
  EXPECT_EQ(source[3], "    GOTO FAR");
  EXPECT_EQ(AddressShift, 2 + 58 * 4);
}

// A branch that has to grow can push another one, checked before it, out of reach.
TEST_F(ReachTest, LengtheningOneBranchCanLengthenAnother) {
  // A: Z branch at 0 to LA (120), with 34 bit tests between it: +256, just inside.
  // B: carry branch at 2 to LB (122): 120 + 136 + 2 = +258, out; its BRA then adds 2 to A.
  Lines listing{ListingLine(0, "    NOP;@USE@_TGOTO 1,STATUS,2,LA,0"),
                ListingLine(2, "    NOP;@USE@_TGOTO 0,STATUS,0,LB,0")};
  for (const std::string& line : Growers(4, {34, 0})) listing.push_back(line);
  listing.push_back(ListingLine(120, CallGrower));
  SetListing(listing);
  SetSymbols({{"LA", 120}, {"LB", 122}});
  ASSERT_TRUE(ShortenCallsAndJumps());
  const Lines source = CrLfLines(ReadWholeFile(SourceFileName));
  ASSERT_GE(source.size(), 4u);
  EXPECT_EQ(Lines(source.begin(), source.begin() + 4),
            (Lines{"    BTFSC STATUS,2,0", "    BRA LA", "    BTFSS STATUS,0,0", "    BRA LB"}));
}

// The same the other way round, with the forms handed over in reverse address order: A,
// a backward Z branch at -254, is checked before B, whose lengthening pushes A to -256.
TEST_F(ReachTest, LengtheningReachesBackToFormsCheckedEarlierAtHigherAddresses) {
  const std::int32_t x = 0x1000;
  std::vector<PlacedForm> forms{{x, x - 120, PlaceholderForm::ConditionalBranch, false},       // A
                                {x - 2, x - 122, PlaceholderForm::ConditionalBranch, false}};  // B
  for (int k = 0; k < 33; ++k) forms.push_back({x - 120 + 2 * k, -1, PlaceholderForm::SkipAndGoto, true});
  forms.push_back({x - 54, -1, PlaceholderForm::LongCall, true});   // A: -120 - 134 = -254
  forms.push_back({x - 122, -1, PlaceholderForm::LongCall, true});  // B: -120 - 136 = -256
  EXPECT_EQ(LengthenFormsOutOfReach(forms), 2u);
  EXPECT_EQ(forms[0].form, PlaceholderForm::SkipAndBra);
  EXPECT_EQ(forms[1].form, PlaceholderForm::SkipAndBra);
}

TEST_F(ReachTest, SingleSkipStaysOnlyOverOneInstruction) {
  struct Case {
    const char* name;
    PlaceholderForm skipped;
    PlaceholderForm expected;
  } cases[] = {
      {"over a CALL", PlaceholderForm::LongCall, PlaceholderForm::SingleSkip},
      {"over a GOTO", PlaceholderForm::LongJump, PlaceholderForm::SingleSkip},
      {"over skip + BRA", PlaceholderForm::SkipAndBra, PlaceholderForm::SkipAndBra},
      {"over skip + GOTO", PlaceholderForm::SkipAndGoto, PlaceholderForm::SkipAndBra},
  };
  for (const Case& c : cases) {
    std::vector<PlacedForm> forms{{0x100, 0x104, PlaceholderForm::SingleSkip, false}, {0x102, -1, c.skipped, true}};
    LengthenFormsOutOfReach(forms);
    EXPECT_EQ(forms[0].form, c.expected) << c.name;
  }
}

TEST_F(ReachTest, FixedFormsAndFormsWithoutAnAddressAreLeftAlone) {
  // A named BZ far from its operand is the compiler's own choice; a placeholder without an
  // address has no distance; neither adds growth anywhere it could be placed.
  std::vector<PlacedForm> forms{
      {0x100, 0x900, PlaceholderForm::ConditionalBranch, true},
      {-1, 0x100, PlaceholderForm::ConditionalBranch, false},
      {0x200, 0x200 + 256, PlaceholderForm::ConditionalBranch, false},
      {-1, -1, PlaceholderForm::SkipAndGoto, true},
  };
  EXPECT_EQ(LengthenFormsOutOfReach(forms), 0u);
  EXPECT_EQ(forms[0].form, PlaceholderForm::ConditionalBranch);
  EXPECT_EQ(forms[1].form, PlaceholderForm::ConditionalBranch);
  EXPECT_EQ(forms[2].form, PlaceholderForm::ConditionalBranch);
}

}  // namespace
