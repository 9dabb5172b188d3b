#include "listing/scanner.h"

#include <gtest/gtest.h>

#include <string>

#include "listing/working_state.h"

namespace {

class ScannerTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkingState(); }
  void Load(const std::string& text) {
    SetLineBuffer(text);
    ScanPos = 0;
  }
};

TEST_F(ScannerTest, FindWordMatchesWholeBlankSeparatedRunsOnly) {
  struct Case {
    const char* word;
    std::string line;
    std::uint32_t column;
  } cases[] = {
      {"LIST", "LISTING LIST", 9},
      {"MOVLB", "MOVLB,5", 0},
      {"MOVLB", "\tMOVLB 5", 0},
      {"MOVLB", "    MOVLB 5", 5},
      {"MOVLB", "", 0},
      {"AB", "AB AB", 1},
      {"AB", "  XAB AB", 7},
      {"AB", "ab", 0},
      {"NOP;[BZ@]", "    NOP;[BZ@] L2", 5},
      {"LIST", std::string(28, ' ') + "LIST", 29},
  };
  for (const Case& c : cases) EXPECT_EQ(FindWord(c.word, c.line), c.column) << c.word << " in [" << c.line << "]";
}

TEST_F(ScannerTest, HexToIntReadsLeadingHexDigits) {
  struct Case {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"1A2F ", 6703}, {"0001a2", 418}, {"", 0}, {"G12", 0}, {" 12", 0}, {"FFFFFFFF", -1}, {"123456789", 0x23456789},
  };
  for (const Case& c : cases) EXPECT_EQ(HexToInt(c.text), c.value) << c.text;
  EXPECT_EQ(HexToInt(nullptr), 0);
}

TEST_F(ScannerTest, ReadTokenStopsBeforeBlankOrCommaAndLeavesTheDelimiter) {
  Load("  CALL  LABEL,1");
  ReadToken();
  EXPECT_STREQ(TokenBuffer, "CALL");
  EXPECT_EQ(ScanPos, 6u);
  ReadToken();
  EXPECT_STREQ(TokenBuffer, "LABEL");
  EXPECT_EQ(ScanPos, 13u);
  ReadToken();
  EXPECT_STREQ(TokenBuffer, "");
  EXPECT_EQ(ScanPos, 13u);
  ScanPos += 1;
  ReadToken();
  EXPECT_STREQ(TokenBuffer, "1");
  EXPECT_EQ(ScanPos, 15u);
  ReadToken();  // at the end: empty, position unchanged
  EXPECT_STREQ(TokenBuffer, "");
  EXPECT_EQ(ScanPos, 15u);
}

TEST_F(ScannerTest, TabsBelongToTokensButAreSkippedBeforeThem) {
  Load("MOVLB\t5");
  ReadToken();
  EXPECT_STREQ(TokenBuffer, "MOVLB\t5");
  Load("\t \tBRA L");
  ReadToken();
  EXPECT_STREQ(TokenBuffer, "BRA");
}

TEST_F(ScannerTest, SkipBlanks) {
  Load("A,B");
  ScanPos = 1;
  EXPECT_EQ(SkipBlanks(), ',');
  EXPECT_EQ(ScanPos, 1u);
  ScanPos = 3;
  EXPECT_EQ(SkipBlanks(), '\0');
  EXPECT_EQ(ScanPos, 3u);
  Load("A  \t ");  // only blanks remain: left on the last character, a blank returned
  ScanPos = 1;
  EXPECT_EQ(SkipBlanks(), ' ');
  EXPECT_EQ(ScanPos, 4u);
  Load("A\tB");
  ScanPos = 1;
  EXPECT_EQ(SkipBlanks(), 'B');
  EXPECT_EQ(LineLength, 3u);
}

TEST_F(ScannerTest, ReadRestOfLineKeepsInnerBlanksAndComments) {
  Load("LABEL   REST, OF ; the line");
  ReadToken();
  ReadRestOfLine();
  EXPECT_STREQ(TokenBuffer, "REST, OF ; the line");
  EXPECT_EQ(ScanPos, LineLength);
  ReadRestOfLine();
  EXPECT_STREQ(TokenBuffer, "");
  EXPECT_EQ(ScanPos, LineLength);
}

TEST_F(ScannerTest, BuffersAreCutAndNeverOverrun) {
  const std::string longToken(400, 'X');
  Load(longToken + " NEXT");
  ReadToken();
  EXPECT_EQ(std::string(TokenBuffer), std::string(251, 'X'));
  EXPECT_EQ(ScanPos, 400u);  // where the uncut token ends
  ReadToken();
  EXPECT_STREQ(TokenBuffer, "NEXT");

  Load(std::string(600, 'Y'));
  EXPECT_EQ(LineLength, 499u);
  ReadRestOfLine();
  EXPECT_EQ(std::string(TokenBuffer).size(), 251u);
}

TEST_F(ScannerTest, ParseListingLineReadsTheAddressField) {
  struct Case {
    const char* line;
    std::int32_t address;
  } cases[] = {
      {"000A12 0E05  00012 MOVLW 5", 2578}, {"3000 X", -1}, {"", -1}, {"1", 1}, {" 0010", -1}, {"0010", 16},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseListingLine(c.line), c.address) << c.line;
}

TEST_F(ScannerTest, LoadSourceTextTakesColumn29On) {
  const std::string prefix = "000010 0E05           00012 ";  // 28 characters
  ASSERT_EQ(prefix.size(), 28u);
  struct Case {
    std::string entry;
    std::string text;
    std::int32_t address;
  } cases[] = {
      {prefix + "    MOVLW 5   \t ", "    MOVLW 5", 16},
      {prefix, "", 16},
      {prefix.substr(0, 20), "", 16},
      {"                            LABEL", "LABEL", -1},
      {prefix + "X", "X", 16},
  };
  for (const Case& c : cases) {
    ListingLines.Clear();
    ListingLines.Add(c.entry);
    LineIndex = 0;
    LoadSourceText();
    EXPECT_EQ(std::string(LineBuffer), c.text) << c.entry;
    EXPECT_EQ(LineLength, c.text.size()) << c.entry;
    EXPECT_EQ(LineAddress, c.address) << c.entry;
  }
}

TEST_F(ScannerTest, LoadingPastTheLastLineThrows) {
  ListingLines.Add("0000 X");
  LineIndex = 1;
  EXPECT_THROW(LoadListingLine(), std::out_of_range);
}

TEST_F(ScannerTest, ListingSourceTextIsLoadSourceTextWithoutTheBuffers) {
  const std::string prefix = "000104 B4D8                 ";  // 28 characters
  struct Case {
    std::string line;
    std::string text;
  } cases[] = {
      {prefix.substr(0, 28) + "    BTFSC STATUS,2  \t ", "    BTFSC STATUS,2"},
      {prefix.substr(0, 28), ""},
      {"000104 B4D8", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ListingSourceText(c.line), c.text) << "[" << c.line << "]";
}

}  // namespace
