// A conditional branch chosen near its limit in the first listing, pushed out of the PIC18's
// reach by the placeholders that grow between it and its label: the optimised source must
// still assemble, and run like the program written with long forms only.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace {

using namespace e2e;

// `jump` stands for what takes the place of the near bit test on STATUS (the placeholder or a
// fixed form) and `far` for each of the 57 far bit tests; `zero` decides whether the near
// branch is taken (XORLW 5 sets Z) or not.
std::string Program(const std::string& jump, const std::string& far, bool zero) {
  std::string s = " LIST  P = 18F452, R = DEC\nSTATUS EQU 0xFD8\nRESULT EQU 0x020\nCOUNT EQU 0x021\n    ORG 0\n"
                  "    CLRF RESULT,0\n    CLRF COUNT,0\n    MOVLW 5\n";
  s += zero ? "    XORLW 5\n" : "    XORLW 4\n";
  s += jump;
  for (int i = 0; i < 57; ++i) s += far;
  s += "    INCF COUNT,F,0\nSKIPPED EQU $\n    MOVLW 0x55\n    MOVWF RESULT,0\nDONE EQU $\n    BRA DONE\n"
       "    ORG 0x2000\nFAR EQU $\n    MOVLW 0xEE\n    MOVWF RESULT,0\n    GOTO DONE\n    END\n";
  return s;
}

const std::string NearPlaceholder = "    NOP;@USE@_TGOTO 1,STATUS,2,SKIPPED,0\n";
const std::string FarPlaceholder = "    NOP;@USE@_TGOTO 1,RESULT,7,FAR,0\n";
const std::string FarLongForm = "    BTFSC RESULT,7,0\n    GOTO FAR\n";

class ReachEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FindOnPath("gpasm").empty()) GTEST_SKIP() << "gpasm (Debian package gputils) is not installed";
    if (FindOnPath("gpsim").empty()) GTEST_SKIP() << "gpsim (Debian package gpsim) is not installed";
  }
  static RunOutput Assemble(const TempFolder& folder, const std::string& name, const std::string& text) {
    WriteFile(folder / name, text);
    std::vector<std::string> args = kAssemblerOptions;
    args.push_back(folder / name);
    return RunProgram(folder, MpasmWinPath(), args);
  }
};

TEST_F(ReachEndToEnd, BranchPushedOutOfReachIsLengthenedAndRunsLikeTheLongForm) {
  // In the first listing SKIPPED lies 118 bytes past the near placeholder: a BZ would be
  // chosen, but the 57 far tests grow by 4 bytes each and leave it 346 bytes away.
  {
    TempFolder folder;
    const RunOutput refused = Assemble(folder, "bz.S", Program("    BZ SKIPPED\n", FarLongForm, true));
    EXPECT_FALSE(refused.result.Succeeded()) << "a BZ 346 bytes from its label must not assemble";
  }
  for (bool zero : {true, false}) {
    const std::string where = zero ? "branch taken" : "branch not taken";
    TempFolder twinFolder;
    const RunOutput twinBuild =
        Assemble(twinFolder, "twin.S", Program("    BTFSC STATUS,2,0\n    GOTO SKIPPED\n", FarLongForm, zero));
    ASSERT_TRUE(twinBuild.result.Succeeded()) << twinBuild.output;
    const SimulatorRun twin = Simulate(twinFolder, twinFolder / "twin.cod");
    ASSERT_EQ(twin.pc, Hex(SymbolValue(ReadFile(twinFolder / "twin.LST"), "DONE"))) << twin.output;

    for (int level : {1, 3}) {
      TempFolder folder;
      const RunOutput first = Assemble(folder, "prog.S", Program(NearPlaceholder, FarPlaceholder, zero));
      ASSERT_TRUE(first.result.Succeeded()) << first.output;
      const RunOutput run =
          RunProgram(folder, OptimiserPath(), {"-l" + std::to_string(level), "-i" + IncludesDir(), folder / "prog.LST"});
      ASSERT_TRUE(run.result.Succeeded()) << where << " level " << level << ": " << run.output;
      const std::vector<std::string> lines = Lines(ReadFile(folder / "prog.S"));
      const auto skip = std::find(lines.begin(), lines.end(), "    BTFSC STATUS,2,0");
      ASSERT_NE(skip, lines.end()) << where << " level " << level;
      EXPECT_EQ(*(skip + 1), "    BRA SKIPPED") << where << " level " << level;
      const SimulatorRun optimised = Simulate(folder, folder / "prog.cod");
      EXPECT_EQ(optimised.pc, Hex(SymbolValue(ReadFile(folder / "prog.LST"), "DONE"))) << where << " level " << level << "\n" << optimised.output;
      EXPECT_EQ(optimised.ram, twin.ram) << where << " level " << level;
    }
  }
}

}  // namespace
