// Our MpasmWin: the options it gives gpasm, where and how it leaves the listing, and what it
// reports. Most cases run it over a stand-in gpasm on PATH; the last ones use the real one.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace {

using namespace e2e;

// gpasm's listing in the layout it has: the first page heading without a form feed, a
// heading without one in front of the symbol table (paging off), the table over two pages,
// and the memory map, whose pages gpasm heads "SYMBOL TABLE" again.
const char* const kGpasmListing =
    "gpasm-1.4.0 #1107 (Jan  1 2021)           prog.S   12-11-2026  17:43:26        PAGE  1\n"
    "\n"
    "LOC    OBJECT CODE    LINE  SOURCE TEXT\n"
    "  VALUE\n"
    "000000 0000           00001     nop;@USE@_CALL Sub1\n"
    "\fgpasm-1.4.0 #1107 (Jan  1 2021)           prog.S   12-11-2026  17:43:26        PAGE  2\n"
    "000002 0012           00002 Sub1 return 0\n"
    "gpasm-1.4.0 #1107 (Jan  1 2021)           prog.S   12-11-2026  17:43:26        PAGE  3\n"
    "SYMBOL TABLE\n"
    "  LABEL                             VALUE\n"
    "\n"
    "Sub1                              00000002\n"
    "\fgpasm-1.4.0 #1107 (Jan  1 2021)           prog.S   12-11-2026  17:43:26        PAGE  4\n"
    "SYMBOL TABLE\n"
    "  LABEL                             VALUE\n"
    "counter_2                         00000100\n"
    "MEMORY USAGE MAP ('X' = Used,  '-' = Unused)\n"
    "\fgpasm-1.4.0 #1107 (Jan  1 2021)           prog.S   12-11-2026  17:43:26        PAGE  5\n"
    "SYMBOL TABLE\n"
    "Program Memory Bytes Used:     4\n";

class MpasmWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(folder_ / "bin");
    fs::create_directory(folder_ / "src");
    WriteFile(folder_ / "src/prog.S", "    NOP;@USE@_CALL SUB1\n");
    savedPath_ = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", (folder_ / "bin").c_str(), 1);
  }
  void TearDown() override { ::setenv("PATH", savedPath_.c_str(), 1); }

  // A gpasm that records its arguments, says something on standard output, writes the
  // listing above as <base>.lst (from its -o option) and exits with `exitCode`.
  void InstallFakeGpasm(int exitCode) {
    WriteFile(folder_ / "listing", kGpasmListing);
    WriteScript(folder_ / "bin/gpasm",
                "for a in \"$@\"; do echo \"$a\"; done > \"" + (folder_ / "gpasm-args") + "\"\n"
                "while [ $# -gt 0 ]; do if [ \"$1\" = -o ]; then out=\"${2%.hex}.lst\"; fi; shift; done\n"
                "/bin/cp \"" + (folder_ / "listing") + "\" \"$out\"\n"
                "echo 'gpasm says hello'\n"
                "exit " + std::to_string(exitCode));
  }

  RunOutput Assemble(const std::vector<std::string>& args) { return RunProgram(folder_, MpasmWinPath(), args); }

  TempFolder folder_;
  std::string savedPath_;
};

TEST_F(MpasmWinTest, GivesGpasmTheEquivalentOptions) {
  InstallFakeGpasm(0);
  struct Case {
    std::vector<std::string> args;
    std::string gpasmArgs;
  } cases[] = {
      {{"/e+", "/l+", "/x-", "/w2", "/c-", "/m+", "/q", "SRC"},
       "--mpasm-compatible\n-w\n2\n-i\n-q\n-k\n--expand=ON\n-o\nSRC_BASE.hex\nSRC\n"},
      {{"/c+", "/m-", "/w0", "/p18F452", "/dDEBUG=1", "/dFAST", "/x+", "/rDEC", "/z", "SRC"},
       "--mpasm-compatible\n-w\n0\n--expand=OFF\n-p\n18F452\n-D\nDEBUG=1\n-D\nFAST\n-o\nSRC_BASE.hex\nSRC\n"},
      {{"-E+", "-C-", "-Q", "SRC"}, "--mpasm-compatible\n-i\n-q\n-k\n-o\nSRC_BASE.hex\nSRC\n"},
      {{"SRC"}, "--mpasm-compatible\n-o\nSRC_BASE.hex\nSRC\n"},
  };
  const std::string source = folder_ / "src/prog.S";
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.back() = source;
    std::string expected = c.gpasmArgs;
    expected.replace(expected.find("SRC_BASE"), 8, folder_ / "src/prog");
    expected.replace(expected.rfind("SRC"), 3, source);
    const RunOutput run = Assemble(args);
    EXPECT_TRUE(run.result.Succeeded()) << args.front() << ": " << run.output;
    EXPECT_EQ(ReadFile(folder_ / "gpasm-args"), expected) << "options starting " << args.front();
  }
}

TEST_F(MpasmWinTest, ArrangesTheListingForTheReaders) {
  InstallFakeGpasm(0);
  struct Case {
    const char* caseOption;
    const char* firstSymbol;
    const char* secondSymbol;
  } cases[] = {
      {"/c-", "SUB1 ", "COUNTER_2 "},  // the readers look up upper-cased labels
      {"/c+", "Sub1 ", "counter_2 "},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Assemble({c.caseOption, folder_ / "src/prog.S"}).result.Succeeded());
    const std::vector<std::string> lines = Lines(ReadFile(folder_ / "src/prog.LST"));
    ASSERT_EQ(lines.size(), 20u) << c.caseOption;
    for (std::size_t i : {0, 5, 7, 12, 17}) EXPECT_EQ(lines[i].substr(0, 7), "\fgpasm-") << "line " << i;
    EXPECT_EQ(lines[4], "000000 0000           00001     nop;@USE@_CALL Sub1") << "program lines stay as they are";
    EXPECT_EQ(lines[11].substr(0, lines[11].find(' ') + 1), c.firstSymbol) << c.caseOption;
    EXPECT_EQ(lines[15].substr(0, lines[15].find(' ') + 1), c.secondSymbol) << c.caseOption;
    EXPECT_EQ(lines[16], "MEMORY USAGE MAP ('X' = Used,  '-' = Unused)");
    EXPECT_EQ(lines[19], "Program Memory Bytes Used:     4") << "the memory map is no symbol table";
    EXPECT_FALSE(fs::exists(folder_ / "src/prog.lst")) << "gpasm's own listing is replaced by <base>.LST";
  }
}

TEST_F(MpasmWinTest, WritesIntoAnExistingListingOfAnotherLetterCase) {
  InstallFakeGpasm(0);
  WriteFile(folder_ / "src/prog.LsT", "old listing\n");
  ASSERT_TRUE(Assemble({"/c-", folder_ / "src/prog.S"}).result.Succeeded());
  EXPECT_EQ(ReadFile(folder_ / "src/prog.LsT").substr(0, 7), "\fgpasm-");
  EXPECT_FALSE(fs::exists(folder_ / "src/prog.LST"));
  EXPECT_FALSE(fs::exists(folder_ / "src/prog.lst"));

  // The exact name wins over another letter case.
  WriteFile(folder_ / "src/prog.LST", "old listing\n");
  ASSERT_TRUE(Assemble({"/c-", folder_ / "src/prog.S"}).result.Succeeded());
  EXPECT_EQ(ReadFile(folder_ / "src/prog.LST").substr(0, 7), "\fgpasm-");
  EXPECT_EQ(ReadFile(folder_ / "src/prog.LsT").substr(0, 7), "\fgpasm-") << "left from the first run";
}

TEST_F(MpasmWinTest, PassesGpasmsExitCodeAndMessagesOn) {
  for (int code : {0, 1, 2, 77}) {
    InstallFakeGpasm(code);
    fs::remove(folder_ / "src/prog.LST");
    const RunOutput run = Assemble({"/c-", folder_ / "src/prog.S"});
    EXPECT_EQ(run.result.ending, ProcessResult::Ending::Exited);
    EXPECT_EQ(run.result.code, code);
    EXPECT_NE(run.output.find("gpasm says hello"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder_ / "src/prog.LST")) << "a failed assembly's listing is kept too, code " << code;
  }
  // gpasm's messages go to standard error: with it thrown away, nothing is left.
  const RunOutput quiet = RunProgram(folder_, "/bin/sh", {"-c", "\"$0\" /c- \"$1\" 2>/dev/null", MpasmWinPath(), folder_ / "src/prog.S"});
  EXPECT_EQ(quiet.output, "");
}

TEST_F(MpasmWinTest, SaysInOneLineThatGpasmIsMissing) {
  const RunOutput run = Assemble({"/e+", "/l+", "/x-", "/w2", "/c-", "/m+", "/q", folder_ / "src/prog.S"});
  EXPECT_EQ(run.result.ending, ProcessResult::Ending::Exited);
  EXPECT_NE(run.result.code, 0);
  EXPECT_EQ(Lines(run.output).size(), 1u) << run.output;
  EXPECT_NE(run.output.find("gpasm"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("gputils"), std::string::npos) << run.output;
}

// The real gpasm, from here on.
class MpasmWinWithGpasmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FindOnPath("gpasm").empty()) GTEST_SKIP() << "gpasm (Debian package gputils) is not installed";
  }
  TempFolder folder_;
};

TEST_F(MpasmWinWithGpasmTest, ListingHasTheLayoutTheReadersRelyOn) {
  WriteFile(folder_ / "tiny.S",
            " LIST  P = 18F452, R = DEC\n"
            "Count EQU 0x020\n"
            "    ORG 0\n"
            "Start EQU $\n"
            "    nop;@USE@_CALL Sub1\n"
            "    call Sub1\n"
            "    incf Count,F,0\n"
            "DONE BRA DONE\n"
            "Sub1 EQU $\n"
            "    return 0\n"
            "    END\n");
  const RunOutput run = RunProgram(folder_, MpasmWinPath(), {"/e+", "/l+", "/x-", "/w2", "/c-", "/m+", "/q", folder_ / "tiny.S"});
  ASSERT_TRUE(run.result.Succeeded()) << run.output;
  const std::vector<std::string> lines = Lines(ReadFile(folder_ / "tiny.LST"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].substr(0, 6), "\fgpasm");
  bool sawProcessorLine = false, sawPlaceholder = false, sawCall = false, sawTable = false, sawMap = false;
  for (const std::string& line : lines) {
    if (line.find("LIST  P = 18F452") == 29) sawProcessorLine = true;  // column 30, 1-based
    if (line.rfind("000000 0000 ", 0) == 0 && line.substr(28) == "    nop;@USE@_CALL Sub1") sawPlaceholder = true;
    if (line.rfind("000002 EC", 0) == 0 && line.substr(28) == "    call Sub1") sawCall = true;  // two words, one line
    if (line.rfind("SYMBOL TABLE", 0) == 0) sawTable = true;
    if (line.rfind("MEMORY USAGE MAP", 0) == 0) sawMap = true;
    if (sawTable && !sawMap && line.rfind("Sub1", 0) == 0) ADD_FAILURE() << "symbol names must be upper case";
  }
  EXPECT_TRUE(sawProcessorLine && sawPlaceholder && sawCall && sawTable && sawMap) << ReadFile(folder_ / "tiny.LST");
  EXPECT_NE(ReadFile(folder_ / "tiny.LST").find("\nSUB1                              0000000A\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(folder_ / "tiny.hex"));
}

TEST_F(MpasmWinWithGpasmTest, AFailedAssemblyExitsNonZeroAndKeepsItsListing) {
  WriteFile(folder_ / "bad.S", " LIST  P = 18F452\n    ORG 0\n    BRA NOWHERE\n    END\n");
  // Without /q gpasm reports the error on the terminal as well as in the listing.
  const RunOutput run = RunProgram(folder_, MpasmWinPath(), {"/e+", "/l+", "/x-", "/w2", "/c-", "/m+", folder_ / "bad.S"});
  EXPECT_EQ(run.result.ending, ProcessResult::Ending::Exited);
  EXPECT_NE(run.result.code, 0);
  EXPECT_NE(run.output.find("NOWHERE"), std::string::npos) << run.output;
  EXPECT_NE(ReadFile(folder_ / "bad.err").find("NOWHERE"), std::string::npos) << "/e+ asks for the error file";
  EXPECT_NE(ReadFile(folder_ / "bad.LST").find("NOWHERE"), std::string::npos);
}

}  // namespace
