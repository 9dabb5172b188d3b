#include "passes/instruction_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "listing/working_state.h"
#include "passes/shorten_test_support.h"

namespace {

using shorten_test::CrLfLines;
using shorten_test::ListingLine;
using shorten_test::ReadWholeFile;
using shorten_test::ScratchFolder;
using shorten_test::SetListing;
using Lines = std::vector<std::string>;

class InstructionWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkingState(); }

  // The lines one writer call puts into a file, each checked to end in CR LF.
  Lines Written(const std::function<void(TextFileWriter&)>& write) {
    const std::string path = folder_.File("OUT.S");
    TextFileWriter out;
    EXPECT_TRUE(out.Open(path));
    write(out);
    EXPECT_TRUE(out.Commit());
    return CrLfLines(ReadWholeFile(path));
  }

  ScratchFolder folder_;
};

TEST_F(InstructionWriterTest, CallsAndJumpsAreRelativeUpTo1020BytesEitherWay) {
  struct Case {
    std::int32_t origin, target;
    bool relative;
  } cases[] = {
      {0x1000, 0x1000, true},
      {0x1000, 0x1000 + 300, true},
      {0x1000, 0x1000 + 1020, true},
      {0x1000, 0x1000 - 1020, true},
      {0x1000, 0x1000 + 1021, false},
      {0x1000, 0x1000 - 1021, false},
      {0x1000, 0x1000 + 1022, false},
      {0x1000, 0x1000 + 1500, false},
      {0x1000, 0x1000 - 1500, false},
      {0x1000 + 400, 0x1000 + 400 - 1020, true},  // origins shifted alike keep the distance
  };
  for (const Case& c : cases) {
    for (bool call : {true, false}) {
      AddressShift = 10;
      const Lines lines = Written([&](TextFileWriter& out) {
        if (call)
          WriteCall(out, c.origin, c.target, "SUB1");
        else
          WriteJump(out, c.origin, c.target, "SUB1");
      });
      const std::string expected =
          std::string("    ") + (call ? (c.relative ? "RCALL" : "CALL") : (c.relative ? "BRA" : "GOTO")) + " SUB1";
      const std::string row = (call ? "call " : "jump ") + std::to_string(c.target - c.origin);
      EXPECT_EQ(lines, Lines{expected}) << row;
      EXPECT_EQ(AddressShift, c.relative ? 10 : 12) << row;
    }
  }
}

TEST_F(InstructionWriterTest, ConditionalJumpFormsByDistanceRegisterBitAndLevel) {
  struct Case {
    const char* name;
    int level;
    std::int32_t delta;
    int jumpIfSet;
    const char* reg;
    int bit;
    int access;
    Lines lines;
    int shift;
  } cases[] = {
      // Conditional branches on STATUS bits within 120 bytes, both ways.
      {"Z set +120", 1, 120, 1, "STATUS", 2, 0, {"    BZ L"}, 0},
      {"Z clear -120", 1, -120, 0, "STATUS", 2, 0, {"    BNZ L"}, 0},
      {"Z set +121", 1, 121, 1, "STATUS", 2, 0, {"    BTFSC STATUS,2,0", "    BRA L"}, 2},
      {"Z clear -121", 1, -121, 0, "STATUS", 2, -1, {"    BTFSS STATUS,2", "    BRA L"}, 2},
      {"C set", 1, 10, 1, "STATUS", 0, 0, {"    BC L"}, 0},
      {"C clear", 1, -10, 0, "STATUS", 0, 0, {"    BNC L"}, 0},
      {"OV set", 1, 10, 7, "STATUS", 3, 0, {"    BOV L"}, 0},
      {"OV clear", 1, 10, 0, "STATUS", 3, 0, {"    BNOV L"}, 0},
      {"N set", 1, 0, 1, "STATUS", 4, 0, {"    BN L"}, 0},
      {"N clear", 1, 0, 0, "STATUS", 4, 0, {"    BNN L"}, 0},
      // The digit carry has no branch: a fixed skip on the access bank, whatever the access value.
      {"DC set", 1, 50, 1, "STATUS", 1, 1, {"    BTFSC STATUS,1,0", "    BRA L"}, 2},
      {"DC clear", 1, -120, 0, "STATUS", 1, -1, {"    BTFSS STATUS,1,0", "    BRA L"}, 2},
      {"DC beyond 120", 1, 121, 1, "STATUS", 1, 1, {"    BTFSC STATUS,1,1", "    BRA L"}, 2},
      {"STATUS bit 5", 1, 10, 1, "STATUS", 5, 0, {"    BTFSC STATUS,5,0", "    BRA L"}, 2},
      {"STATUS bit 7 clear", 1, 10, 0, "STATUS", 7, 1, {"    BTFSS STATUS,7,1", "    BRA L"}, 2},
      // Other registers never get a conditional branch; "status" is another register.
      {"PORTB near", 1, 10, 1, "PORTB", 3, 0, {"    BTFSC PORTB,3,0", "    BRA L"}, 2},
      {"lower-case status", 1, 10, 1, "status", 2, 0, {"    BTFSC status,2,0", "    BRA L"}, 2},
      {"PORTB -300", 1, -300, 1, "PORTB", 3, 0, {"    BTFSC PORTB,3,0", "    BRA L"}, 2},
      // The single skip: exactly +4, level 2 and up, not STATUS.
      {"skip level 2", 2, 4, 1, "PORTB", 3, 0, {"    BTFSS PORTB,3,0"}, 0},
      {"skip level 3 clear", 3, 4, 0, "PORTB", 3, 1, {"    BTFSC PORTB,3,1"}, 0},
      {"skip level 1", 1, 4, 1, "PORTB", 3, 0, {"    BTFSC PORTB,3,0", "    BRA L"}, 2},
      {"skip level 0", 0, 4, 1, "PORTB", 3, 0, {"    BTFSC PORTB,3,0", "    BRA L"}, 2},
      {"-4 no skip", 2, -4, 1, "PORTB", 3, 0, {"    BTFSC PORTB,3,0", "    BRA L"}, 2},
      {"+2 no skip", 2, 2, 1, "PORTB", 3, 0, {"    BTFSC PORTB,3,0", "    BRA L"}, 2},
      {"+6 no skip", 2, 6, 1, "PORTB", 3, 0, {"    BTFSC PORTB,3,0", "    BRA L"}, 2},
      {"STATUS +4 branches", 2, 4, 1, "STATUS", 2, 0, {"    BZ L"}, 0},
      {"lower status +4 skips", 2, 4, 1, "status", 2, 0, {"    BTFSS status,2,0"}, 0},
      // Skip + BRA up to 1023 bytes, skip + GOTO from 1024.
      {"+1023", 1, 1023, 1, "PORTB", 3, 0, {"    BTFSC PORTB,3,0", "    BRA L"}, 2},
      {"-1023", 1, -1023, 0, "PORTB", 3, 0, {"    BTFSS PORTB,3,0", "    BRA L"}, 2},
      {"+1024", 1, 1024, 1, "PORTB", 3, 0, {"    BTFSC PORTB,3,0", "    GOTO L"}, 4},
      {"-1024", 1, -1024, 0, "PORTB", 3, 0, {"    BTFSS PORTB,3,0", "    GOTO L"}, 4},
      {"STATUS Z +1024", 1, 1024, 1, "STATUS", 2, 0, {"    BTFSC STATUS,2,0", "    GOTO L"}, 4},
      {"DC -1024", 1, -1024, 1, "STATUS", 1, 1, {"    BTFSC STATUS,1,1", "    GOTO L"}, 4},
      // The access value: 0 and 1 are written, anything else is not.
      {"access 1", 1, 500, 1, "X", 6, 1, {"    BTFSC X,6,1", "    BRA L"}, 2},
      {"access 2", 1, 500, 1, "X", 6, 2, {"    BTFSC X,6", "    BRA L"}, 2},
      {"access blank", 1, 500, 1, "X", 6, ' ' - '0', {"    BTFSC X,6", "    BRA L"}, 2},
      // The bit number is written in decimal, as the caller read it.
      {"bit 17", 1, 500, 1, "X", 'A' - '0', 0, {"    BTFSC X,17,0", "    BRA L"}, 2},
  };
  for (const Case& c : cases) {
    OptimiseLevel = static_cast<std::uint8_t>(c.level);
    AddressShift = 6;
    const std::int32_t origin = 0x2000;
    const Lines lines = Written([&](TextFileWriter& out) {
      WriteConditionalJump(out, origin, origin + c.delta, c.jumpIfSet, c.reg, c.bit, "L", c.access);
    });
    EXPECT_EQ(lines, c.lines) << c.name;
    EXPECT_EQ(AddressShift, 6 + c.shift) << c.name;
  }
}

// A single skip passes over one instruction. When the word it would pass over is another
// bit-test placeholder, that word may be written as a skip and a jump, so the single skip
// would land between them: the writer then takes skip + BRA instead.
TEST_F(InstructionWriterTest, NoSingleSkipOverABitTestPlaceholder) {
  struct Case {
    const char* name;
    Lines listing;  // line 0 is the placeholder being written, at 0x100
    bool singleSkip;
  } cases[] = {
      {"bit test next", {ListingLine(0x102, "    NOP;@USE@_TGOTO 1,X,0,FAR")}, false},
      {"comment and label between",
       {ListingLine(-1, "; NESTED IF"), ListingLine(-1, "L9"), ListingLine(0x102, "NOP;@USE@_TGOTO 0,X,0,FAR")},
       false},
      {"tab before the marker", {ListingLine(0x102, "\tNOP;@USE@_TGOTO 1,X,0,FAR")}, false},
      {"label line at the same address",
       {ListingLine(0x102, "L9"), ListingLine(0x102, "  NOP;@USE@_TGOTO 1,X,0,F")},
       false},
      {"call placeholder next", {ListingLine(0x102, "    NOP;@USE@_CALL FAR")}, true},
      {"marker in a comment", {ListingLine(0x102, "    CLRF X ;NOP;@USE@_TGOTO 1,X,0,F")}, true},
      {"bit test one word later",
       {ListingLine(0x102, "    CLRF X"), ListingLine(0x104, "NOP;@USE@_TGOTO 1,X,0,F")},
       true},
      {"no line after", {}, true},
  };
  for (const Case& c : cases) {
    Lines listing{ListingLine(0x100, "    NOP;@USE@_TGOTO 1,PORTB,3,L1")};
    listing.insert(listing.end(), c.listing.begin(), c.listing.end());
    SetListing(listing);
    LineIndex = 0;
    OptimiseLevel = 2;
    AddressShift = 8;  // the listing addresses count, not the shifted ones
    const Lines lines =
        Written([&](TextFileWriter& out) { WriteConditionalJump(out, 0x100 + 8, 0x104 + 8, 1, "PORTB", 3, "L1", 0); });
    const Lines expected = c.singleSkip ? Lines{"    BTFSS PORTB,3,0"} : Lines{"    BTFSC PORTB,3,0", "    BRA L1"};
    EXPECT_EQ(lines, expected) << c.name;
  }
}

}  // namespace
