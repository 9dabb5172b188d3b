#include "passes/tighten_conditions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "listing/working_state.h"
#include "passes/pass_test_folder.h"
#include "platform/vcl.h"
#include "shell/driver.h"

namespace {

using Lines = std::vector<std::string>;

const std::string End = "    END";
const std::string OldSource = "    OLD SOURCE\r\n";

// A listing line as the assembler writes it: the address in column 1, the source text from
// column 29.
std::string At(int address, const std::string& text) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%06X 0000", static_cast<unsigned>(address));
  std::string line = prefix;
  line.resize(28, ' ');
  return line + text;
}
std::string NoAddress(const std::string& text) { return std::string(28, ' ') + text; }

class ProgressView : public TWindowView {
 public:
  void Paint(const TForm2& form) override { progressAtPaint.push_back(form.Optimise_Gauge.Progress()); }
  void GaugeChanged(const TForm2&) override {}
  void Closed(const TForm2&) override {}
  std::vector<int> progressAtPaint;
};

class TightenConditionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorkingState();
    ResetDriver();
    Form2.Reset();
    SourceFileName = folder.File("PROG.S");
    WriteBytes(SourceFileName, OldSource);
  }
  void TearDown() override {
    Form2.Reset();
    ResetDriver();
  }

  static void Listing(const Lines& lines) {
    ListingLines.Clear();
    for (const std::string& line : lines) ListingLines.Add(line);
    LineCount = static_cast<std::uint32_t>(ListingLines.Count());
  }
  static void Symbols(const std::vector<std::pair<std::string, int>>& symbols) {
    SymbolList.Clear();
    SymbolList.Add("");
    for (const auto& [name, value] : symbols) SymbolList.Add(name + "," + std::to_string(value));
  }
  std::string Written() const { return TestTempDir::Read(SourceFileName); }

  TestTempDir folder;
};

// One pair: the skip at 0x100, the branch at 0x102, a NOP behind them.
struct PairCase {
  std::string name;
  std::string skip;
  std::string branch;
  int target;  // address of L
  Lines written;
  int shift;
};

TEST_F(TightenConditionsTest, FoldsASkipOnAStatusBitAndANearBranch) {
  constexpr int Branch = 0x102;
  const Lines unchangedPair = {"    BTFSC STATUS,2,0", "    BRA L"};
  std::vector<PairCase> cases = {
      {"zero, 100 ahead", "    BTFSC STATUS,2,0", "    BRA L", Branch + 100, {"    BZ L"}, -2},
      {"119 ahead", "    BTFSC STATUS,2,0", "    BRA L", Branch + 119, {"    BZ L"}, -2},
      {"120 ahead", "    BTFSC STATUS,2,0", "    BRA L", Branch + 120, unchangedPair, 0},
      {"119 back", "    BTFSC STATUS,2,0", "    BRA L", Branch - 119, {"    BZ L"}, -2},
      {"120 back", "    BTFSC STATUS,2,0", "    BRA L", Branch - 120, unchangedPair, 0},
      {"on itself", "    BTFSC STATUS,2,0", "    BRA L", Branch, {"    BZ L"}, -2},
      {"carry set", "    BTFSC STATUS,0,0", "    BRA L", 0x110, {"    BC L"}, -2},
      {"overflow set", "    BTFSC STATUS,3,0", "    BRA L", 0x110, {"    BOV L"}, -2},
      {"negative set", "    BTFSC STATUS,4,0", "    BRA L", 0x110, {"    BN L"}, -2},
      {"carry clear", "    BTFSS STATUS,0,0", "    BRA L", 0x110, {"    BNC L"}, -2},
      {"zero clear", "    BTFSS STATUS,2,0", "    BRA L", 0x110, {"    BNZ L"}, -2},
      {"overflow clear", "    BTFSS STATUS,3,0", "    BRA L", 0x110, {"    BNOV L"}, -2},
      {"negative clear", "    BTFSS STATUS,4,0", "    BRA L", 0x110, {"    BNN L"}, -2},
      {"without access operand", "    BTFSC STATUS,2", "    BRA L", 0x110, {"    BZ L"}, -2},
      {"branch comment dropped", "    BTFSC STATUS,2,0", "    BRA L ; loop", 0x110, {"    BZ L"}, -2},
      {"digit carry set kept as canonical pair", "    BTFSC STATUS,1", "    BRA L ; dc", 0x110,
       {"    BTFSC STATUS,1,0", "    BRA L"}, 0},
      {"digit carry clear kept as canonical pair", "    BTFSS STATUS,1,1 ; x", "    BRA L", 0x110,
       {"    BTFSS STATUS,1,0", "    BRA L"}, 0},
      {"digit carry far", "    BTFSC STATUS,1 ; dc", "    BRA L ; far", 0x400,
       {"    BTFSC STATUS,1 ; dc", "    BRA L ; far"}, 0},
      {"other register", "    BTFSC FLAGS,2,0", "    BRA L", 0x110, {"    BTFSC FLAGS,2,0", "    BRA L"}, 0},
      {"register beginning with STATUS", "    BTFSC STATUSX,2", "    BRA L", 0x110,
       {"    BTFSC STATUSX,2", "    BRA L"}, 0},
      {"bit as a name", "    BTFSC STATUS,Z,0", "    BRA L", 0x110, {"    BTFSC STATUS,Z,0", "    BRA L"}, 0},
      {"blank after the comma", "    BTFSC STATUS, 2", "    BRA L", 0x110, {"    BTFSC STATUS, 2", "    BRA L"}, 0},
      {"blank before the comma", "    BTFSC STATUS ,2", "    BRA L", 0x110, {"    BTFSC STATUS ,2", "    BRA L"}, 0},
      {"no bit", "    BTFSC STATUS", "    BRA L", 0x110, {"    BTFSC STATUS", "    BRA L"}, 0},
      {"comma but no bit", "    BTFSC STATUS,", "    BRA L", 0x110, {"    BTFSC STATUS,", "    BRA L"}, 0},
      {"unknown label", "    BTFSC STATUS,2", "    BRA NOWHERE", 0x110, {"    BTFSC STATUS,2", "    BRA NOWHERE"}, 0},
      {"label plus offset", "    BTFSC STATUS,2", "    BRA L+2", 0x110, {"    BTFSC STATUS,2", "    BRA L+2"}, 0},
      {"next is another instruction", "    BTFSC STATUS,2", "    GOTO L", 0x110, {"    BTFSC STATUS,2", "    GOTO L"}, 0},
      {"next is a label line", "    BTFSC STATUS,2", "L2", 0x110, {"    BTFSC STATUS,2", "L2"}, 0},
      {"next is a comment naming BRA", "    BTFSC STATUS,2", "; BRA L", 0x110, {"    BTFSC STATUS,2", "; BRA L"}, 0},
      {"BRA not first", "    BTFSC STATUS,2", "    NOP ; BRA L", 0x110, {"    BTFSC STATUS,2", "    NOP ; BRA L"}, 0},
      {"tab behind BRA", "    BTFSC STATUS,2", "    BRA\tL", 0x110, {"    BTFSC STATUS,2", "    BRA\tL"}, 0},
      {"skip behind a label", "LOOP BTFSC STATUS,2", "    BRA L", 0x110, {"LOOP BTFSC STATUS,2", "    BRA L"}, 0},
      {"tab behind the skip", "    BTFSC\tSTATUS,2", "    BRA L", 0x110, {"    BTFSC\tSTATUS,2", "    BRA L"}, 0},
      {"long register", "    BTFSC " + std::string(60, 'R') + ",2", "    BRA L", 0x110,
       {"    BTFSC " + std::string(60, 'R') + ",2", "    BRA L"}, 0},
      {"long label", "    BTFSC STATUS,2", "    BRA " + std::string(80, 'L'), 0x110,
       {"    BTFSC STATUS,2", "    BRA " + std::string(80, 'L')}, 0},
  };
  for (char digit = '5'; digit <= '9'; ++digit) {
    const std::string skip = std::string("    BTFSS STATUS,") + digit;
    cases.push_back({std::string("bit ") + digit, skip, "    BRA L ; near", 0x110, {skip, "    BRA L ; near"}, 0});
  }
  for (const PairCase& c : cases) {
    ResetWorkingState();
    SourceFileName = folder.File("PROG.S");
    Symbols({{"L", c.target}, {"FAR", 0x4000}});
    Listing({At(0x100, c.skip), At(Branch, c.branch), At(0x104, "    NOP")});
    ASSERT_TRUE(TightenConditions()) << c.name;
    Lines expected = c.written;
    expected.push_back("    NOP");
    expected.push_back(End);
    EXPECT_EQ(Written(), CrLfLines(expected)) << c.name;
    EXPECT_EQ(AddressShift, c.shift) << c.name;
  }
}

TEST_F(TightenConditionsTest, ShiftedTargetMustNotFallBelowZero) {
  // Three folds take 6 bytes off; a label listed at 4 then lies among the removed bytes.
  struct Case {
    int low;
    std::string fourth;
    int shift;
  } cases[] = {
      {4, "    BTFSC STATUS,4\r\n    BRA LOW\r\n", -6},
      {6, "    BN LOW\r\n", -8},
  };
  for (const Case& c : cases) {
    ResetWorkingState();
    SourceFileName = folder.File("PROG.S");
    Symbols({{"NEAR", 0x40}, {"LOW", c.low}});
    Listing({At(0x10, "    BTFSC STATUS,2"), At(0x12, "    BRA NEAR"), At(0x14, "    BTFSS STATUS,2"),
             At(0x16, "    BRA NEAR"), At(0x18, "    BTFSC STATUS,0"), At(0x1A, "    BRA NEAR"),
             At(0x1C, "    BTFSC STATUS,4"), At(0x1E, "    BRA LOW")});
    ASSERT_TRUE(TightenConditions());
    EXPECT_EQ(Written(), "    BZ NEAR\r\n    BNZ NEAR\r\n    BC NEAR\r\n" + c.fourth + "    END\r\n") << c.low;
    EXPECT_EQ(AddressShift, c.shift) << c.low;
  }
}

TEST_F(TightenConditionsTest, WholeListings) {
  struct Case {
    const char* name;
    Lines listing;
    Lines written;
  } cases[] = {
      {"empty listing", {}, {End}},
      {"plain lines unchanged, short lines empty",
       {NoAddress("; comment"), "000010", At(0x10, "L1    CLRF X  "), NoAddress("X EQU 5")},
       {"; comment", "", "L1    CLRF X", "X EQU 5", End}},
      {"two folds in a row",
       {At(0x10, "    BTFSC STATUS,2"), At(0x12, "    BRA L"), At(0x14, "    BTFSS STATUS,0"), At(0x16, "    BRA L")},
       {"    BZ L", "    BNC L", End}},
      {"skip followed by a skip pair",
       {At(0x10, "    BTFSC STATUS,0"), At(0x12, "    BTFSC STATUS,2"), At(0x14, "    BRA L")},
       {"    BTFSC STATUS,0", "    BTFSC STATUS,2", "    BRA L", End}},
      {"block loses its markers, its pair stays",
       {NoAddress(";[S@I@ASM]"), At(0x10, "    BTFSC STATUS,2"), At(0x12, "    BRA L"), NoAddress(";[E@I@ASM]"),
        At(0x14, "    BTFSC STATUS,2"), At(0x16, "    BRA L")},
       {"    BTFSC STATUS,2", "    BRA L", "    BZ L", End}},
      {"markers anywhere in their lines", {NoAddress("  NOP ;[S@I@ASM]"), At(0x10, "\tnop"), NoAddress("X ;[E@I@ASM] Y"), At(0x12, "    NOP")},
       {"\tnop", "    NOP", End}},
      {"block left open runs to the end",
       {NoAddress(";[S@I@ASM]"), At(0x10, "    BTFSC STATUS,2"), At(0x12, "    BRA L")},
       {"    BTFSC STATUS,2", "    BRA L", End}},
      {"empty block", {NoAddress(";[S@I@ASM]"), NoAddress(";[E@I@ASM]")}, {End}},
  };
  for (const Case& c : cases) {
    ResetWorkingState();
    SourceFileName = folder.File("PROG.S");
    Symbols({{"L", 0x20}});
    Listing(c.listing);
    ASSERT_TRUE(TightenConditions()) << c.name;
    EXPECT_EQ(Written(), CrLfLines(c.written)) << c.name;
  }
}

// A skip instruction skips exactly one instruction. "BTFSS FLAGS,0 / BTFSC STATUS,2 / BRA L"
// branches when FLAGS.0 is set; folded to "BTFSS FLAGS,0 / BZ L" it would not.
TEST_F(TightenConditionsTest, PairsInTheShadowOfASkipAreNotFolded) {
  const Lines pair = {At(0x10, "    BTFSC STATUS,2,0"), At(0x12, "    BRA L")};
  struct Case {
    const char* name;
    Lines before;
    bool folded;
  } cases[] = {
      {"directly after a skip", {At(0x0E, "    BTFSS FLAGS,0")}, false},
      {"after a counting skip", {At(0x0E, "    DECFSZ COUNT,F,0")}, false},
      {"past comment, blank, short line and label",
       {At(0x0E, "    CPFSEQ X,0"), NoAddress("; c"), NoAddress(""), "000010", NoAddress("L9"), NoAddress("L8 EQU $")},
       false},
      {"after another instruction", {At(0x0C, "    BTFSS FLAGS,0"), At(0x0E, "    CLRF X,0")}, true},
      {"skip named in a comment", {At(0x0E, "    CLRF X,0 ; BTFSS")}, true},
      {"at the start of the listing", {}, true},
  };
  for (const Case& c : cases) {
    ResetWorkingState();
    SourceFileName = folder.File("PROG.S");
    Symbols({{"L", 0x20}});
    Lines listing = c.before;
    listing.insert(listing.end(), pair.begin(), pair.end());
    Listing(listing);
    ASSERT_TRUE(TightenConditions()) << c.name;
    const std::string text = Written();
    const bool folded = text.find("    BZ L\r\n    END\r\n") != std::string::npos;
    EXPECT_EQ(folded, c.folded) << c.name << "\n" << text;
    EXPECT_EQ(AddressShift, c.folded ? -2 : 0) << c.name;
    if (!c.folded) {
      EXPECT_NE(text.find("    BTFSC STATUS,2,0\r\n    BRA L\r\n    END"), std::string::npos) << c.name;
    }
  }
}

TEST_F(TightenConditionsTest, ShowsProgressEveryFortyLinesAndAtTheEnd) {
  Lines listing;
  for (int i = 0; i < 100; ++i) listing.push_back(At(2 * i, "    NOP"));
  Listing(listing);
  ProgressView view;
  Form2.AttachView(&view);
  ASSERT_TRUE(TightenConditions());
  EXPECT_EQ(Form2.MessageLabel.Caption, "Tightening Conditions");
  EXPECT_EQ(Form2.Optimise_Gauge.MaxValue(), 100);
  std::vector<int> expected;
  for (int step = 1; step <= 100; ++step) expected.push_back(step / 40 * 40);  // a repaint after each step
  expected.push_back(100);                                                     // and once at the end
  EXPECT_EQ(view.progressAtPaint, expected);
}

TEST_F(TightenConditionsTest, ReadingPastTheLastLineKeepsTheOldSourceAndFailsTheRun) {
  struct Case {
    const char* name;
    Lines listing;
  } cases[] = {
      {"skip on STATUS last", {At(0x10, "    NOP"), At(0x12, "    BTFSC STATUS,2")}},
      {"block start last", {At(0x10, "    NOP"), NoAddress(";[S@I@ASM]")}},
  };
  for (const Case& c : cases) {
    ResetWorkingState();
    SourceFileName = folder.File("PROG.S");
    Symbols({{"L", 0x20}});
    Listing(c.listing);
    EXPECT_THROW(TightenConditions(), std::out_of_range) << c.name;
    EXPECT_EQ(Written(), OldSource) << c.name;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"PROG.S"}) << c.name;

    // The driver counts the error as a failed run.
    const Lines listing = c.listing;
    Steps.ReadSymbolTable = [] { return true; };
    Steps.ReadListing = [listing] {
      Listing(listing);
      return true;
    };
    Steps.ShortenCallsAndJumps = Steps.RemoveBankSelects = Steps.Reassemble = Steps.TidyListing = [] { return true; };
    OptimiseLevel = 3;
    EXPECT_FALSE(RunOptimiser()) << c.name;
    EXPECT_EQ(Written(), OldSource) << c.name;
  }
  // A skip on another register does not look at the next line.
  Listing({At(0x10, "    NOP"), At(0x12, "    BTFSC FLAGS,2")});
  EXPECT_TRUE(TightenConditions());
}

TEST_F(TightenConditionsTest, SourceThatCannotBeReplacedFailsThePass) {
  Listing({At(0x10, "    NOP")});
  SourceFileName = folder.File("MISSING/PROG.S");
  EXPECT_FALSE(TightenConditions());
  // A folder in the source's place: the new file is written but cannot be renamed over it.
  SourceFileName = folder.File("FOLDER.S");
  std::filesystem::create_directory(SourceFileName);
  EXPECT_FALSE(TightenConditions());
  EXPECT_TRUE(std::filesystem::is_directory(SourceFileName));
  EXPECT_EQ(folder.Names().size(), 2u);  // PROG.S and FOLDER.S, nothing left behind
}

}  // namespace
