#include "listing/listing_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/test_files.h"
#include "listing/working_state.h"

namespace {

using Lines = std::vector<std::string>;

// `text` starting at the given 1-based column of a listing line.
std::string AtColumn(std::size_t column, const std::string& text) { return std::string(column - 1, ' ') + text; }
// A listing line whose first 28 columns are the assembler's prefix (address, code, line number).
std::string WithPrefix(const std::string& prefix, const std::string& source) {
  return prefix + std::string(28 - prefix.size(), ' ') + source;
}

class ListingReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkingState(); }
  bool ReadFrom(const std::string& bytes) {
    ListingFileName = dir_.Write("prog.lst", bytes);
    return ReadListing();
  }
  TestTempDir dir_;
};

TEST_F(ListingReaderTest, KeepAndDropRulesAtTheirBoundaries) {
  const std::string code = "000000 EF02 F000      00012";
  struct Case {
    const char* what;
    std::string line;
    const char* kept;  // the entry the line becomes; nullptr: dropped
  } cases[] = {
      {"27 characters", std::string(27, 'x'), nullptr},
      {"28 characters", std::string(28, 'x'), "XXXXXXXXXXXXXXXXXXXXXXXXXXXX"},
      {"27 characters and trailing blanks", std::string(27, 'x') + "   \t", nullptr},
      {"code line upper-cased, end trimmed", WithPrefix(code, "goto    start   \t\r\x01"),
       "000000 EF02 F000      00012 GOTO    START"},
      {"leading blanks kept", AtColumn(3, "comment text that is long enough"),
       "  COMMENT TEXT THAT IS LONG ENOUGH"},
      {"processor directive, LIST at 30", AtColumn(30, "list  p=18f452"),
       "                             LIST  P=18F452"},
      {"LIST at 30 with one blank before P", AtColumn(30, "LIST P=18F452"), nullptr},
      {"LIST  P at 29", AtColumn(29, "LIST  P=18F452"), nullptr},
      {"LIST  P at 31", AtColumn(31, "LIST  P=18F452"), "                              LIST  P=18F452"},
      {"LIST at 28", AtColumn(28, "LIST"), nullptr},
      {"LIST at 29", AtColumn(29, "LIST R=DEC"), nullptr},
      {"LIST at 30", AtColumn(30, "LIST R=DEC"), nullptr},
      {"LIST at 31", AtColumn(31, "LIST R=DEC"), "                              LIST R=DEC"},
      {"LIST at 1", "LIST is the first word of this line", "LIST IS THE FIRST WORD OF THIS LINE"},
      {"NOLIST at 28", AtColumn(28, "NOLIST"), nullptr},
      {"NOLIST at 29", AtColumn(29, "nolist"), nullptr},
      {"NOLIST at 30", AtColumn(30, "NOLIST"), nullptr},
      {"NOLIST at 31", AtColumn(31, "NOLIST"), "                              NOLIST"},
      {"LISTING at 29 is another word", AtColumn(29, "LISTING"), "                            LISTING"},
      {"RAM_BANK at 29", AtColumn(29, "RAM_BANK 1"), nullptr},
      {"RAM_BANK at 30", AtColumn(30, "RAM_BANK 1"), "                             RAM_BANK 1"},
      {"column heading", "LOC  OBJECT CODE     LINE SOURCE TEXT", nullptr},
      {"column heading in lower case", "loc  object code     line source text", nullptr},
      {"LOCATION is not LOC", "LOCATION  OBJECT CODE     LINE SOURCE", "LOCATION  OBJECT CODE     LINE SOURCE"},
      {"message 308", "Message[308]: Warning level superseded by command line", nullptr},
      {"message 302", "Message[302]: Register in operand not in bank 0.",
       "MESSAGE[302]: REGISTER IN OPERAND NOT IN BANK 0."},
      {"banner", "MPASM  5.22                    PROG.S   3-1-2026  10:00:00  PAGE  1", nullptr},
      {"VALUE at 3 is taken here", "  VALUE of something long enough", "  VALUE OF SOMETHING LONG ENOUGH"},
      {"SYMBOL behind a blank", " SYMBOL is not at the start here", " SYMBOL IS NOT AT THE START HERE"},
      {"form feed in column 1", "\f" + WithPrefix(code, "GOTO START"), nullptr},
      {"tab in column 1", "\t" + WithPrefix(code, "GOTO START"), nullptr},
      {"byte 128 in column 1", "\x80" + WithPrefix(code, "GOTO START"), nullptr},
      {"byte 127 in column 1", "\x7F" + std::string(27, 'x'), "\x7FXXXXXXXXXXXXXXXXXXXXXXXXXXX"},
      {"bytes of 128 and above keep their case", WithPrefix(code, "movlw '\xe4'"),
       "000000 EF02 F000      00012 MOVLW '\xe4'"},
      {"blank line", "                                        ", nullptr},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(ReadFrom(c.line + "\n")) << c.what;
    const Lines expected = c.kept ? Lines{c.kept} : Lines{};
    EXPECT_EQ(ListingLines.Items(), expected) << c.what;
    EXPECT_EQ(LineCount, expected.size()) << c.what;
  }
}

TEST_F(ListingReaderTest, ReadingEndsAtTheSymbolTableOrTheEndOfTheFile) {
  const std::string a = WithPrefix("000000 0E05", "MOVLW 5");
  const std::string b = WithPrefix("000002 6E01", "MOVWF 1");
  const std::string A = "000000 0E05                 MOVLW 5";
  const std::string B = "000002 6E01                 MOVWF 1";
  struct Case {
    const char* what;
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"empty file", "", {}},
      {"last line without line feed", a + "\n" + b, {A, B}},
      {"CR LF lines", a + "\r\n" + b + "\r\n", {A, B}},
      {"symbol table ends the reading", a + "\nSYMBOL TABLE\n" + b + "\n", {A}},
      {"symbol in lower case ends it too", a + "\nsymbol table\n" + b + "\n", {A}},
      {"symbol as the last line", a + "\nSYMBOL", {A}},
      {"page break with form feed", a + "\n\fMPASM 5.22  PROG.S  PAGE 2\n\nLOC  OBJECT CODE\n" + b + "\n", {A, B}},
      {"long line cut to 349, its rest skipped", std::string(400, 'q') + "\n" + b + "\n", {std::string(349, 'Q'), B}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(ReadFrom(c.bytes)) << c.what;
    EXPECT_EQ(ListingLines.Items(), c.lines) << c.what;
    EXPECT_EQ(LineCount, c.lines.size()) << c.what;
  }
}

TEST_F(ListingReaderTest, LeavesTheLastLineReadInTheBuffer) {
  ASSERT_TRUE(ReadFrom(std::string(30, 'a') + "\nSymbol Table  \nB 1\n"));
  EXPECT_STREQ(LineBuffer, "SYMBOL TABLE");
  EXPECT_EQ(LineLength, 12u);
  ASSERT_TRUE(ReadFrom(std::string(30, 'a') + "\n"));
  EXPECT_STREQ(LineBuffer, "") << "the empty read after the final line feed";
}

TEST_F(ListingReaderTest, ReadingTwiceGivesTheSameLines) {
  const std::string listing = WithPrefix("000000 0E05", "MOVLW 5") + "\n" + WithPrefix("000002 6E01", "MOVWF 1") + "\n";
  ASSERT_TRUE(ReadFrom(listing));
  const Lines first = ListingLines.Items();
  ASSERT_TRUE(ReadFrom(listing));
  EXPECT_EQ(ListingLines.Items(), first);
  EXPECT_EQ(LineCount, 2u);
}

TEST_F(ListingReaderTest, NoListingGivesFalseAndAnEmptyListButKeepsLineCount) {
  ListingLines.Add("OLD LINE");
  LineCount = 7;
  ListingFileName = dir_.File("missing.lst");
  EXPECT_FALSE(ReadListing());
  EXPECT_EQ(ListingLines.Count(), 0u);
  EXPECT_EQ(LineCount, 7u);
  ListingFileName = dir_.Path();
  EXPECT_FALSE(ReadListing());
  EXPECT_EQ(LineCount, 7u);
}

}  // namespace
