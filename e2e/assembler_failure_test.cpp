// How a run ends when the assembler fails: a stand-in MpasmWin in a folder of its own exits
// with an error, is killed, or is not there at all. The run stops, the optimiser exits 1,
// the source keeps what the passes wrote and the listing is left as the assembler left it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace {

using namespace e2e;

// A listing as our MpasmWin leaves it: page headings behind a form feed, names upper case.
const char* const kListing =
    "\fgpasm-1.4.0 #1107 (Jan  1 2021)           prog.S   12-11-2026  17:43:26        PAGE  1\n"
    "LOC    OBJECT CODE    LINE  SOURCE TEXT\n"
    "  VALUE\n"
    "                      00001  LIST  P = 18F452, R = DEC\n"
    "000000 0000           00002     NOP;@USE@_CALL SUB1\n"
    "000002 D7FF           00003 DONE BRA DONE\n"
    "  00000004            00004 SUB1 EQU $\n"
    "000004 0012           00005     RETURN 0\n"
    "                      00006     END\n"
    "\fgpasm-1.4.0 #1107 (Jan  1 2021)           prog.S   12-11-2026  17:43:26        PAGE  2\n"
    "SYMBOL TABLE\n"
    "  LABEL                             VALUE\n"
    "\n"
    "DONE                              00000002\n"
    "SUB1                              00000004\n"
    "\n"
    "MEMORY USAGE MAP ('X' = Used,  '-' = Unused)\n";

class AssemblerFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(folder_ / "Includes");
    WriteFile(folder_ / "prog.LST", kListing);
    WriteFile(folder_ / "prog.S", "compiler's source\n");
  }

  // The stand-in records each call's arguments, then does `action`; $calls is the number of
  // the call, from 1.
  void InstallAssembler(const std::string& action) {
    WriteScript(folder_ / "Includes/MpasmWin",
                "echo \"$*\" >> \"" + (folder_ / "calls") + "\"\n"
                "calls=$(/usr/bin/wc -l < \"" + (folder_ / "calls") + "\")\n" + action);
  }

  RunOutput Optimise(int level) {
    return RunProgram(folder_, OptimiserPath(),
                      {"-l" + std::to_string(level), "-i" + (folder_ / "Includes"), folder_ / "prog.LST"});
  }

  TempFolder folder_;
};

TEST_F(AssemblerFailureTest, AFailedAssemblyEndsTheRunWithExitStatusOne) {
  struct Case {
    const char* name;
    std::string action;  // empty: no assembler at all
    int level;
    int callsExpected;
    const char* secondSourceLine;
  } cases[] = {
      {"exit code 1", "exit 1", 1, 1, "    RCALL SUB1"},
      {"exit code 2 at level 3", "exit 2", 3, 1, "    RCALL SUB1"},
      {"killed by a signal", "kill -KILL $$", 1, 1, "    RCALL SUB1"},
      {"missing executable", "", 1, 0, "    RCALL SUB1"},
      // The stand-in leaves the listing as it was, so the second stage copies the
      // placeholder's line as it stands.
      {"second assembly fails", "[ \"$calls\" -ge 2 ] && exit 1; exit 0", 3, 2, "    NOP;@USE@_CALL SUB1"},
  };
  for (const Case& c : cases) {
    fs::remove(folder_ / "calls");
    fs::remove(folder_ / "Includes/MpasmWin");
    WriteFile(folder_ / "prog.S", "compiler's source\n");
    if (!c.action.empty()) InstallAssembler(c.action);

    const RunOutput run = Optimise(c.level);
    EXPECT_EQ(run.result.ending, ProcessResult::Ending::Exited) << c.name;
    EXPECT_EQ(run.result.code, 1) << c.name << ": " << run.output;
    EXPECT_EQ(Lines(ReadFile(folder_ / "calls")).size(), static_cast<std::size_t>(c.callsExpected)) << c.name;

    // Nothing lost: the listing is untouched (no tidy-up), the source is whole.
    EXPECT_EQ(ReadFile(folder_ / "prog.LST"), kListing) << c.name;
    const std::vector<std::string> source = Lines(ReadFile(folder_ / "prog.S"));
    ASSERT_GE(source.size(), 2u) << c.name;
    EXPECT_EQ(source.back(), "    END") << c.name;
    EXPECT_EQ(source[1], c.secondSourceLine) << c.name;
  }
}

TEST_F(AssemblerFailureTest, TheAssemblerGetsTheSourceAsOneArgumentAfterItsOptions) {
  fs::rename(folder_ / "prog.LST", folder_ / "my prog.LST");
  InstallAssembler("exit 0");
  const RunOutput run = RunProgram(folder_, OptimiserPath(), {"-l3", "-i" + (folder_ / "Includes"), folder_ / "my prog.LST"});
  EXPECT_TRUE(run.result.Succeeded()) << run.output;
  const std::string call = "/e+ /l+ /x- /w2 /c- /m+ /q " + (folder_ / "my prog.S");
  EXPECT_EQ(ReadFile(folder_ / "calls"), call + "\n" + call + "\n");
  // The stand-in left the listing alone, so the tidy-up worked on it: headings gone.
  EXPECT_EQ(ReadFile(folder_ / "my prog.LST").find('\f'), std::string::npos);
}

}  // namespace
