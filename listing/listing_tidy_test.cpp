#include "listing/listing_tidy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "listing/test_files.h"
#include "listing/working_state.h"
#include "platform/recording_view_test.h"
#include "platform/vcl.h"

namespace {

std::string AtColumn(std::size_t column, const std::string& text) { return std::string(column - 1, ' ') + text; }

// The listing as written back: every line ends in CR LF.
std::string Written(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

class ListingTidyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorkingState();
    Form2.Reset();
  }
  void TearDown() override { Form2.Reset(); }
  // Tidies a listing of these bytes; returns what the listing holds afterwards.
  std::string Tidy(const std::string& bytes, bool expectedResult = true) {
    ListingFileName = dir_.Write("prog.lst", bytes);
    EXPECT_EQ(TidyListing(), expectedResult);
    return TestTempDir::Read(ListingFileName);
  }
  TestTempDir dir_;
};

TEST_F(ListingTidyTest, LineRulesAtTheirBoundaries) {
  struct Case {
    const char* what;
    std::string line;
    std::optional<std::string> written;  // none: dropped
  } cases[] = {
      {"code line upper-cased, trailing blanks kept", "000000 0e05      00012     movlw 5  \t",
       "000000 0E05      00012     MOVLW 5  \t"},
      {"short lines are taken", "abc", "ABC"},
      {"empty line", "", std::nullopt},
      {"line of blanks", "   ", "   "},
      {"form feed in column 1", "\fMPASM 5.22  PROG.S  PAGE 2", std::nullopt},
      {"tab in column 1", "\tmovlw 5", std::nullopt},
      {"byte 128 in column 1", "\x80" "abc", std::nullopt},
      {"byte 127 in column 1", "\x7F" "abc", "\x7F" "ABC"},
      {"bytes of 128 and above keep their case", "movlw '\xe4'", "MOVLW '\xe4'"},
      {"processor directive", AtColumn(30, "list  p=18f452"), "                             LIST  P=18F452"},
      {"processor directive wins over the banner", "MPASM" + AtColumn(25, "LIST  P=18F452"),
       "MPASM                        LIST  P=18F452"},
      {"LIST  P at 29", AtColumn(29, "LIST  P=18F452"), std::nullopt},
      {"LIST at 30, one blank before P", AtColumn(30, "LIST P=18F452"), std::nullopt},
      {"LIST at 1", "LIST P=18F452", std::nullopt},
      {"LIST at 32", AtColumn(32, "LIST R=DEC"), std::nullopt},
      {"LIST at 33", AtColumn(33, "LIST R=DEC"), "                                LIST R=DEC"},
      {"NOLIST is not LIST", AtColumn(29, "NOLIST"), "                            NOLIST"},
      {"RAM_BANK at 29", AtColumn(29, "RAM_BANK 1"), "                            RAM_BANK 1"},
      {"banner", "MPASM  5.22   PROG.S   3-1-2026  PAGE  1", std::nullopt},
      {"column heading", "LOC  OBJECT CODE     LINE SOURCE TEXT", std::nullopt},
      {"LOCATION is not LOC", "LOCATION 1", "LOCATION 1"},
      {"VALUE at 3", "  VALUE", std::nullopt},
      {"VALUE at 4", "   VALUE", "   VALUE"},
      {"value at 3 in lower case", "  value", std::nullopt},
      {"message 308", "Message[308]: Warning level superseded", std::nullopt},
      {"message 302", "Message[302]: Register not in bank 0", "MESSAGE[302]: REGISTER NOT IN BANK 0"},
      {"symbol table heading", "SYMBOL TABLE", "SYMBOL TABLE"},
      {"delete-block start at 29", AtColumn(29, ";[START@OF@DELETE@BLOCKL]"), std::nullopt},
      {"delete-block start at 30", AtColumn(30, ";[START@OF@DELETE@BLOCKL]"),
       "                             ;[START@OF@DELETE@BLOCKL]"},
      {"delete-block end at 29", AtColumn(29, ";[end@of@delete@blockl] x"), std::nullopt},
      {"ASM@END@ at 29", AtColumn(29, "ASM@END@"), std::nullopt},
      {"ASM@END@ at 30", AtColumn(30, "ASM@END@"), "                             ASM@END@"},
      {"variable listing marker", "000010" + AtColumn(23, ";[VARIABLE LISTING] behind"), ";[Variable Listing]"},
      {"variable listing marker in lower case", AtColumn(29, ";[variable listing]"), ";[Variable Listing]"},
      {"variable listing marker at 30", AtColumn(30, ";[VARIABLE LISTING]"),
       "                             ;[VARIABLE LISTING]"},
      {"end listing marker", AtColumn(29, ";[End Listing]"), ";[End Listing]"},
      {"end listing marker at 28", AtColumn(28, ";[END LISTING]"), "                           ;[END LISTING]"},
      {"long line cut to 349", std::string(400, 'q'), std::string(349, 'Q')},
  };
  for (const Case& c : cases) {
    std::vector<std::string> expected;
    if (c.written) expected.push_back(*c.written);
    EXPECT_EQ(Tidy("FIRST\n" + c.line + "\nLAST\n"), Written({"FIRST"}) + Written(expected) + Written({"LAST"}))
        << c.what;
  }
}

TEST_F(ListingTidyTest, MarkerBlocks) {
  const std::string start = AtColumn(29, ";[START@OF@BLOCK]");
  const std::string end = AtColumn(29, ";[END@OF@BLOCK]");
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> written;
  } cases[] = {
      {"block of three lines goes with its markers", "A\n" + start + "\nX1\nX2\nX3\n" + end + "\nB\n", {"A", "B"}},
      {"markers in lower case", "A\n" + AtColumn(29, ";[start@of@block]") + "\nX\n" + AtColumn(29, ";[end@of@block]") +
                                    "\nB\n",
       {"A", "B"}},
      {"start at 30 is an ordinary line", "A\n" + AtColumn(30, ";[START@OF@BLOCK]") + "\nX\n",
       {"A", AtColumn(30, ";[START@OF@BLOCK]"), "X"}},
      {"end at 30 does not close the block", "A\n" + start + "\nX\n" + AtColumn(30, ";[END@OF@BLOCK]") + "\nY\n" + end +
                                                 "\nB\n",
       {"A", "B"}},
      {"unclosed block drops the rest", "A\n" + start + "\nX\nSYMBOL TABLE\nY\n", {"A"}},
      {"start before any other rule, even behind a tab", "A\n\t" + start.substr(1) + "\nX\n" + end + "\nB\n",
       {"A", "B"}},
      {"lines between delete-block markers stay",
       "A\n" + AtColumn(29, ";[START@OF@DELETE@BLOCKL]") + "\nX\n" + AtColumn(29, ";[END@OF@DELETE@BLOCKL]") + "\nB\n",
       {"A", "X", "B"}},
      {"two blocks", start + "\nX\n" + end + "\nA\n" + start + "\n" + end + "\nB\n", {"A", "B"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tidy(c.bytes), Written(c.written)) << c.what;
}

TEST_F(ListingTidyTest, EndOfFileAndLineEnds) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string written;
  } cases[] = {
      {"last line without line feed is lost", "a\nb", Written({"A"})},
      {"empty file is written back empty", "", ""},
      {"CR LF lines stay CR LF, not doubled", "a\r\nb\r\n", Written({"A", "B"})},
      {"CR inside a line stays", "a\rb\n", Written({"A\rB"})},
      {"symbol table and memory map are kept", "SYMBOL TABLE\n  LABEL  VALUE\nstart 00000000\nMemory Usage Map\n",
       Written({"SYMBOL TABLE", "  LABEL  VALUE", "START 00000000", "MEMORY USAGE MAP"})},
  };
  for (const Case& c : cases) EXPECT_EQ(Tidy(c.bytes), c.written) << c.what;
}

TEST_F(ListingTidyTest, LeavesTheLastReadInTheBuffer) {
  Tidy("a\nlast");
  EXPECT_STREQ(LineBuffer, "last");
  Tidy("a\nb\n");
  EXPECT_STREQ(LineBuffer, "");
}

TEST_F(ListingTidyTest, LetsTheWindowRepaintAfterReadingAndAfterWriting) {
  CountingView view;
  Form2.AttachView(&view);
  Form2.MessageLabel.Caption = "Assembling";
  Form2.Optimise_Gauge.SetMaxValue(10);
  Form2.Optimise_Gauge.SetProgress(4);
  view.gaugeRedraws = 0;
  Tidy("a\n");
  EXPECT_EQ(view.paints, 2);
  EXPECT_EQ(view.gaugeRedraws, 0);
  EXPECT_EQ(Form2.MessageLabel.Caption, "Assembling");
  EXPECT_EQ(Form2.Optimise_Gauge.Progress(), 4);
  EXPECT_EQ(Form2.Optimise_Gauge.MaxValue(), 10);
}

TEST_F(ListingTidyTest, KeepsTheListingsPermissions) {
  ListingFileName = dir_.Write("prog.lst", "a\n");
  ASSERT_EQ(::chmod(ListingFileName.c_str(), 0604), 0);
  ASSERT_TRUE(TidyListing());
  struct stat info;
  ASSERT_EQ(::stat(ListingFileName.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0604u);
}

TEST_F(ListingTidyTest, NoListingGivesFalseAndCreatesNothing) {
  ListingFileName = dir_.File("missing.lst");
  EXPECT_FALSE(TidyListing());
  ListingFileName = dir_.Path();
  EXPECT_FALSE(TidyListing());
  EXPECT_TRUE(dir_.Names().empty());
}

TEST_F(ListingTidyTest, FailedWriteLeavesTheOldListingWhole) {
  std::string listing;
  for (int i = 0; i < 200; ++i) listing += "000000 0E05      00012     movlw 5\n";
  ListingFileName = dir_.Write("prog.lst", listing);
  CountingView view;
  Form2.AttachView(&view);
  bool result;
  {
    FileSizeLimit limit(1000);  // the tidied listing is larger
    result = TidyListing();
  }
  EXPECT_FALSE(result);
  EXPECT_EQ(TestTempDir::Read(ListingFileName), listing);
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"prog.lst"});
  EXPECT_EQ(view.paints, 1) << "only after reading";
}

}  // namespace
