#include "listing/symbol_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "listing/test_files.h"
#include "listing/working_state.h"

namespace {

using Entries = std::vector<std::string>;

// A program part, the table as the assembler lays it out, and the memory map after it.
std::string ListingWithTable(const std::string& tableLines) {
  return "0000 EF00 F000      00012         GOTO    START\n"
         "SYMBOL TABLE\n"
         "  LABEL                             VALUE \n"
         "\n" +
         tableLines +
         "\n"
         "MEMORY USAGE MAP ('X' = Used,  '-' = Unused)\n"
         "AFTER_MAP 00000001\n";
}

class SymbolTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkingState(); }
  bool ReadFrom(const std::string& bytes) {
    ListingFileName = dir_.Write("prog.lst", bytes);
    return ReadSymbolTable();
  }
  static Entries Symbols() { return SymbolList.Items(); }
  TestTempDir dir_;
};

TEST_F(SymbolTableTest, ValueNotations) {
  // Hexadecimal when the value begins with "00", decimal otherwise; the stored value is
  // unsigned decimal of 32 bits.
  struct Case {
    const char* value;
    const char* entry;  // nullptr: the line gives no entry
  } cases[] = {
      {"00000F80", "PORTA,3968"},     {"0000001A", "PORTA,26"},       {"0000001a", "PORTA,26"},
      {"00", "PORTA,0"},              {"00FFFFFFFF", "PORTA,4294967295"}, {"0010G2", "PORTA,16"},
      {"0", "PORTA,0"},               {"012", "PORTA,12"},            {"0X1F", "PORTA,0"},
      {"1A", "PORTA,1"},              {"25", "PORTA,25"},             {"4294967295", "PORTA,4294967295"},
      {"4294967296", "PORTA,0"},      {"9,7", "PORTA,9"},             {"FFFFFFFF", nullptr},
      {"-1", nullptr},                {"+5", nullptr},                {".5", nullptr},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(ReadFrom(ListingWithTable(std::string("PORTA                             ") + c.value)));
    Entries expected = {""};
    if (c.entry != nullptr) expected.push_back(c.entry);
    EXPECT_EQ(Symbols(), expected) << "value text " << c.value;
  }
}

TEST_F(SymbolTableTest, TableLineShapes) {
  const std::string longName(300, 'N');
  struct Case {
    const char* what;
    std::string line;
    Entries entries;  // after the empty entry 0
  } cases[] = {
      {"name alone", "PORTA", {}},
      {"comma right after the name", "PORTA,00000F80", {}},
      {"comma after a blank", "PORTA , 5", {}},
      {"leading blanks and tabs skipped", " \t PORTA  5  ", {"PORTA,5"}},
      {"case kept", "porta 00000F80", {"porta,3968"}},
      {"repeated column heading", "  LABEL                             VALUE ", {}},
      {"repeated SYMBOL line", "SYMBOL TABLE", {}},
      {"page heading yields MPASM, form feed trimmed", "\fMPASM  5.22   PROG.S   3-1-2026  Page 4",
       {"MPASM,5"}},
      {"control characters trimmed from both ends", "\x01NAME\x02 7", {"NAME,7"}},
      {"high bytes are part of the name", "\xC4X 7", {"\xC4X,7"}},
      {"name with a tab inside", "A\tB 7", {"A\tB,7"}},
      {"name cut to the token's 251 characters", longName + " 7", {std::string(251, 'N') + ",7"}},
      {"empty line", "", {}},
      {"two symbols", "A 1\nB 00000002", {"A,1", "B,2"}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(ReadFrom(ListingWithTable(c.line))) << c.what;
    Entries expected = {""};
    expected.insert(expected.end(), c.entries.begin(), c.entries.end());
    EXPECT_EQ(Symbols(), expected) << c.what;
  }
}

TEST_F(SymbolTableTest, SectionStartAndEnd) {
  struct Case {
    const char* what;
    std::string bytes;
    bool found;
    Entries entries;  // after the empty entry 0
  } cases[] = {
      {"no table", "0000 0E05 00012 MOVLW 5\nA 1\n", false, {}},
      {"start in lower case", "symbol table\nH\nA 1\n", false, {}},
      {"start behind a blank", " SYMBOL TABLE\nH\nA 1\n", false, {}},
      {"first six characters are enough", "SYMBOLS\nH\nA 1\n", true, {"A,1"}},
      {"the line after the start is the heading", "SYMBOL\nA 1\nB 2\n", true, {"B,2"}},
      {"start is the last line, with LF", "X\nSYMBOL TABLE\n", true, {}},
      {"start is the last line, without LF", "X\nSYMBOL TABLE", false, {}},
      {"heading is the last line", "SYMBOL TABLE\nH", true, {}},
      {"last symbol line without LF is not taken", "SYMBOL\nH\nA 1\nB 2", true, {"A,1"}},
      {"end of file inside the table", "SYMBOL\nH\nA 1\nB 2\n", true, {"A,1", "B,2"}},
      {"end in mixed case", "SYMBOL\nH\nA 1\nMemory Usage Map\nB 2\n", true, {"A,1"}},
      {"end in lower case", "SYMBOL\nH\nA 1\nmemory usage map\nB 2\n", true, {"A,1"}},
      {"end needs the words at the start", "SYMBOL\nH\n MEMORY USAGE MAP\nB 2\n", true, {"B,2"}},
      {"end with one word less is a symbol line", "SYMBOL\nH\nMEMORY USAGE 5\nB 2\n", true, {"B,2"}},
      {"CR LF lines", "SYMBOL TABLE\r\nH\r\nA 00000010\r\nB 3\r\n", true, {"A,16", "B,3"}},
      {"first table wins, second start is a plain line", "SYMBOL\nH\nA 1\nSYMBOL\nB 2\n", true, {"A,1", "B,2"}},
      {"empty file", "", false, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadFrom(c.bytes), c.found) << c.what;
    Entries expected = {""};
    expected.insert(expected.end(), c.entries.begin(), c.entries.end());
    EXPECT_EQ(Symbols(), expected) << c.what;
  }
}

TEST_F(SymbolTableTest, NoListingGivesFalseAndOnlyTheEmptyEntry) {
  SymbolList.Add("OLD,1");
  ListingFileName = dir_.File("missing.lst");
  EXPECT_FALSE(ReadSymbolTable());
  EXPECT_EQ(Symbols(), Entries{""});
  ListingFileName = dir_.Path();  // a folder is no listing
  EXPECT_FALSE(ReadSymbolTable());
  EXPECT_EQ(LookupSymbol("OLD"), -1);
  EXPECT_EQ(LookupSymbol(""), 0);
}

TEST_F(SymbolTableTest, ReadingTwiceGivesTheSameListAndLeavesTheLastLineInTheBuffer) {
  const std::string listing = ListingWithTable("A 1\nB 00000002");
  ASSERT_TRUE(ReadFrom(listing));
  const Entries first = Symbols();
  ASSERT_TRUE(ReadFrom(listing));
  EXPECT_EQ(Symbols(), first);
  EXPECT_EQ(std::string(LineBuffer), "MEMORY USAGE MAP ('X' = Used,  '-' = Unused)");
  EXPECT_EQ(LineLength, std::string(LineBuffer).size());
}

TEST_F(SymbolTableTest, LookupAnswersFromTheTableAsRead) {
  ASSERT_TRUE(ReadFrom(ListingWithTable("PORTA 00000F80\n"
                                        "DUP 00000010\n"
                                        "DUP 00000020\n"
                                        "GONE FFFFFFFF\n"  // a letter: no entry at all
                                        "NEG 00FFFFFFFF\n"
                                        "NEG 00000030\n"
                                        "ONLYNEG 00FFFFFFFF\n"
                                        "HIGH 0080000000\n"
                                        "lower 00000001\n")));
  struct Case {
    const char* name;
    std::int32_t value;
  } cases[] = {
      {"PORTA", 3968}, {"DUP", 16},     {"GONE", -1},         {"NEG", 48},  {"ONLYNEG", -1},
      {"HIGH", INT_MIN}, {"lower", 1}, {"LOWER", -1},        {"porta", -1}, {"", 0},
      {"PORTA ", -1},  {"PORTA,3968", -1}, {"MISSING", -1},
  };
  for (const Case& c : cases) {
    TargetAddress = 12345;
    EXPECT_EQ(LookupSymbol(c.name), c.value) << c.name;
    EXPECT_EQ(TargetAddress, c.value) << c.name;
  }
}

TEST_F(SymbolTableTest, LookupInAnEmptyListFailsAndLeavesTargetAddress) {
  TargetAddress = 77;
  EXPECT_EQ(LookupSymbol(""), -1);
  EXPECT_EQ(LookupSymbol("A"), -1);
  EXPECT_EQ(TargetAddress, 77);
}

TEST(MatchSymbolEntryTest, ComparesTheNamePartExactlyAndReadsTheValuePart) {
  struct Case {
    const char* entry;
    const char* name;
    std::int32_t value;
  } cases[] = {
      {"PORTA,3968", "PORTA", 3968}, {"PORTA,3968", "porta", -1},  {"PORTA,3968", "PORT", -1},
      {"PORTA,3968", "PORTA,3968", -1}, {"PORTA", "PORTA", 0},     {"PORTA,", "PORTA", 0},
      {"A,5,7", "A", 5},             {"A,x9", "A", 0},             {"A,12x", "A", 12},
      {"A,4294967295", "A", -1},     {"A,2147483648", "A", INT_MIN}, {"A,4294967296", "A", 0},
      {"", "", 0},                   {",5", "", 5},                {"A B,5", "A B", 5},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchSymbolEntry(c.entry, c.name), c.value) << c.entry << " / " << c.name;
}

class SymbolIndexTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkingState(); }
  static void Fill(const Entries& entries) {
    SymbolList.Clear();
    for (const std::string& entry : entries) SymbolList.Add(entry);
  }
};

TEST_F(SymbolIndexTest, AnswersLikeTheScanOnOddLists) {
  Fill({"", "A", "B,5,7", "C,x", "D,4294967295", "D,7", "E,4294967295", "F,2147483648", ",9", "G,1", "G,2",
        "H,4294967295", "H,4294967295", "I,0"});
  struct Case {
    const char* name;
    std::int32_t value;
  } cases[] = {
      {"", 0}, {"A", 0}, {"B", 5}, {"C", 0}, {"D", 7}, {"E", -1}, {"F", INT_MIN},
      {"G", 1}, {"H", -1}, {"I", 0}, {"Z", -1}, {"B,5", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LookupSymbol(c.name), c.value) << c.name;
    EXPECT_EQ(ScanSymbolList(c.name), c.value) << c.name;
  }
}

TEST_F(SymbolIndexTest, FollowsChangesToTheList) {
  Fill({"", "A,1"});
  EXPECT_EQ(LookupSymbol("B"), -1);
  SymbolList.Add("B,2");
  EXPECT_EQ(LookupSymbol("B"), 2);
  SymbolList.Add("A,3");  // a later duplicate changes nothing
  EXPECT_EQ(LookupSymbol("A"), 1);
  Fill({"", "A,4294967295"});
  EXPECT_EQ(LookupSymbol("A"), -1);
  SymbolList.Add("A,9");  // now the search goes on to a value
  EXPECT_EQ(LookupSymbol("A"), 9);
  SymbolList.Clear();  // the driver empties the list between the stages
  TargetAddress = 5;
  EXPECT_EQ(LookupSymbol("A"), -1);
  EXPECT_EQ(TargetAddress, 5);
  SymbolList.Add("A,8");  // no empty entry 0: "" finds nothing
  EXPECT_EQ(LookupSymbol("A"), 8);
  EXPECT_EQ(LookupSymbol(""), -1);
}

TEST_F(SymbolIndexTest, LongNamesAreComparedWhole) {
  const std::string name(250, 'L');
  std::string near = name;
  near[240] = 'M';
  Fill({"", name + ",42"});
  EXPECT_EQ(LookupSymbol(name.c_str()), 42);
  EXPECT_EQ(LookupSymbol(near.c_str()), -1);
  EXPECT_EQ(LookupSymbol(name.substr(0, 199).c_str()), -1);
}

TEST_F(SymbolIndexTest, RandomListsAndChangesAnswerLikeTheScan) {
  // Few names and values that matter (0, -1, the sign bit) make duplicates and -1 entries common.
  const char* names[] = {"", "A", "B", "C", "a", "A B", "LONGER_NAME"};
  const char* values[] = {"", "0", "1", "4294967295", "2147483648", "12x", "7,8"};
  std::mt19937 random(20260101);
  auto pick = [&](auto& table) { return table[random() % std::size(table)]; };
  for (int round = 0; round < 200; ++round) {
    if (random() % 4 == 0) SymbolList.Clear();
    const int additions = static_cast<int>(random() % 6);
    for (int i = 0; i < additions; ++i) {
      std::string entry = pick(names);
      if (random() % 5 != 0) entry += std::string(",") + pick(values);
      SymbolList.Add(entry);
    }
    for (const char* name : names) {
      const std::int32_t scanned = SymbolList.Count() == 0 ? -1 : ScanSymbolList(name);
      ASSERT_EQ(LookupSymbol(name), scanned) << "round " << round << ", name [" << name << "]";
    }
    ASSERT_EQ(LookupSymbol("Z"), -1);
  }
}

}  // namespace
