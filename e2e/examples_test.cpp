// The example programs through the whole chain: assembled by our MpasmWin, optimised at
// levels 1 to 3, and run in gpsim against their long-form twins.
#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"

namespace {

using namespace e2e;

bool ContainsRun(const std::vector<std::string>& lines, const std::vector<std::string>& run) {
  for (std::size_t i = 0; i + run.size() <= lines.size(); ++i) {
    std::size_t k = 0;
    while (k < run.size() && lines[i + k] == run[k]) ++k;
    if (k == run.size()) return true;
  }
  return false;
}

// What the optimised source must hold at a level (consecutive lines), or must not.
struct Expectation {
  const char* example;
  int level;  // 0: every level
  bool present;
  std::vector<std::string> lines;
};

const Expectation kExpectations[] = {
    // A jump over one word on a RAM bit: skip + BRA at level 1, a single skip from level 2.
    {"bit_flags", 1, true, {"    BTFSC FLAGS,3,0", "    BRA SKIP1"}},
    {"bit_flags", 2, true, {"    BTFSS FLAGS,3,0", "    INCF RESULT,F,0", "SKIP1 EQU $"}},
    {"bit_flags", 3, true, {"    BTFSS FLAGS,3,0", "    INCF RESULT,F,0", "SKIP1 EQU $"}},
    // Near targets: the short forms; bracketed markers as named; the dead MOVLB gone.
    {"bit_flags", 0, true, {"    MOVLB 2", "    RCALL SET_MARKS"}},
    {"bit_flags", 0, false, {"    MOVLB 1", "    MOVLB 2"}},
    {"bit_flags", 0, true, {"    BNZ LOOP1"}},
    {"bit_flags", 0, true, {"    BTFSC STATUS,1,0", "    BRA DC_OK"}},
    {"bit_flags", 0, true, {"    RCALL MARK_A", "    CALL MARK_B"}},
    {"bit_flags", 0, true, {"    BNOV BAD", "    BOV OV_OK", "    GOTO BAD"}},
    // The compiler's own skip + BRA on STATUS: folded at level 3, never inside an inline block.
    {"bank_sums", 1, true, {"    BTFSC STATUS,2,0", "    BRA NO_CHANGES"}},
    {"bank_sums", 3, true, {"    MOVF CHANGES,W,0", "    BZ NO_CHANGES"}},
    {"bank_sums", 0, true, {"    BTFSS STATUS,4,0", "    BRA NOT_NEGATIVE"}},
    {"bank_sums", 0, true, {"    BNC NO_CARRY"}},
    // Far and near in one program.
    {"big_program", 0, true, {"    ORG 0", "    GOTO MAIN"}},
    {"big_program", 0, true, {"    CALL R00"}},
    {"big_program", 0, true, {"    RCALL R19"}},
    {"big_program", 0, true, {"    BTFSS STATUS,2,0", "    GOTO FAR_NZ"}},
    {"big_program", 0, true, {"    BTFSC FARS,1,0", "    GOTO FAR_SET"}},
    {"big_program", 1, true, {"    BTFSS STATUS,0,0", "    BRA R00_NC"}},
    {"big_program", 3, true, {"    BNC R00_NC"}},
    // Just out of reach in the first listing, within it once the dead bank selects are gone.
    {"big_program", 1, true, {"    BTFSC STATUS,2,0", "    BRA MID0"}},
    {"big_program", 3, true, {"    BZ MID0"}},
};

void CheckSource(const std::string& example, int level, const std::string& source) {
  const std::string where = example + " level " + std::to_string(level);
  const std::vector<std::string> lines = Lines(source);
  ASSERT_FALSE(lines.empty()) << where;
  EXPECT_EQ(lines.back(), "    END") << where;
  std::size_t crlf = 0;
  for (std::size_t i = 0; i < source.size(); ++i)
    if (source[i] == '\n' && (i == 0 || source[i - 1] != '\r')) ++crlf;
  EXPECT_EQ(crlf, 0u) << where << ": every line ends in CR LF";
  for (const std::string& line : lines) {
    for (const char* marker : {"@USE@", "NOP;[", "[S@I@ASM]", "[E@I@ASM]"})
      EXPECT_EQ(line.find(marker), std::string::npos) << where << ": marker left in [" << line << "]";
    EXPECT_EQ(line.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos) << where << ": [" << line << "]";
  }
  for (const Expectation& e : kExpectations) {
    if (e.example != example || (e.level != 0 && e.level != level)) continue;
    EXPECT_EQ(ContainsRun(lines, e.lines), e.present) << where << ": expected " << (e.present ? "" : "no ")
                                                      << "run starting [" << e.lines.front() << "]";
  }
}

void CheckTidiedListing(const std::string& where, const std::string& listing) {
  const std::vector<std::string> lines = Lines(listing);
  bool variables = false, endVariables = false, table = false;
  for (const std::string& line : lines) {
    EXPECT_FALSE(!line.empty() && static_cast<unsigned char>(line[0]) < 32) << where << ": page heading kept";
    EXPECT_EQ(line.find("@OF@BLOCK"), std::string::npos) << where << ": [" << line << "]";
    EXPECT_NE(line.rfind("LOC ", 0), 0u) << where << ": column heading kept";
    if (line == ";[Variable Listing]") variables = true;
    if (line == ";[End Listing]") endVariables = true;
    if (line.rfind("SYMBOL TABLE", 0) == 0) table = true;
  }
  EXPECT_TRUE(variables && endVariables && table) << where;
}

class ExampleTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (FindOnPath("gpasm").empty()) GTEST_SKIP() << "gpasm (Debian package gputils) is not installed";
    if (FindOnPath("gpsim").empty()) GTEST_SKIP() << "gpsim (Debian package gpsim) is not installed";
  }

  // Copies examples/<file> to the folder as <name> and assembles it there.
  void Assemble(const TempFolder& folder, const std::string& file, const std::string& name) {
    fs::copy_file(ExamplesDir() + "/" + file, folder / name);
    std::vector<std::string> args = kAssemblerOptions;
    args.push_back(folder / name);
    const RunOutput run = RunProgram(folder, MpasmWinPath(), args);
    ASSERT_TRUE(run.result.Succeeded()) << file << ": " << run.output;
  }
};

TEST_P(ExampleTest, OptimisedProgramRunsLikeItsLongFormTwinAndIsSmaller) {
  const std::string example = GetParam();
  TempFolder twinFolder;
  ASSERT_NO_FATAL_FAILURE(Assemble(twinFolder, example + "_long.S", example + "_long.S"));
  const std::uint32_t twinBytes = ProgramBytes(ReadFile(twinFolder / (example + "_long.hex")));
  const SimulatorRun twin = Simulate(twinFolder, twinFolder / (example + "_long.cod"));
  ASSERT_EQ(twin.pc, Hex(SymbolValue(ReadFile(twinFolder / (example + "_long.LST")), "DONE"))) << twin.output;
  ASSERT_FALSE(twin.ram.empty()) << twin.output;

  std::map<int, std::uint32_t> bytes;
  for (int level = 1; level <= 3; ++level) {
    const std::string where = example + " level " + std::to_string(level);
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(Assemble(folder, example + ".S", example + ".S"));
    const std::uint32_t before = ProgramBytes(ReadFile(folder / (example + ".hex")));
    std::vector<std::string> args = {"-l" + std::to_string(level), folder / (example + ".LST")};
    // Level 2 finds MpasmWin in the Includes folder beside the optimiser by itself.
    if (level != 2) args.insert(args.begin(), "-i" + IncludesDir());
    const RunOutput run = RunProgram(folder, OptimiserPath(), args);
    ASSERT_TRUE(run.result.Succeeded()) << where << ": " << DescribeEnding("velkar-optimiser", run.result) << "\n"
                                        << run.output;

    CheckSource(example, level, ReadFile(folder / (example + ".S")));
    const std::string listing = ReadFile(folder / (example + ".LST"));
    CheckTidiedListing(where, listing);

    bytes[level] = ProgramBytes(ReadFile(folder / (example + ".hex")));
    std::cout << "[ size     ] " << where << ": " << bytes[level] << " bytes (placeholders " << before
              << ", long form " << twinBytes << ")\n";
    EXPECT_LT(bytes[level], twinBytes) << where;

    const SimulatorRun optimised = Simulate(folder, folder / (example + ".cod"));
    EXPECT_EQ(optimised.pc, Hex(SymbolValue(listing, "DONE"))) << where << ": did not stop at DONE\n"
                                                               << optimised.output;
    EXPECT_EQ(optimised.ram, twin.ram) << where;
  }
  EXPECT_LE(bytes[2], bytes[1]) << example;
  EXPECT_LE(bytes[3], bytes[2]) << example;
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest, ::testing::Values("bit_flags", "bank_sums", "big_program"));

}  // namespace
