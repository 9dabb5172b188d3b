// The program's exit status and its one error line, run as a build would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string stderrText;
};

Outcome RunOptimiserProgram(const std::string& args, const fs::path& dir) {
  const fs::path err = dir / "stderr.txt";
  const std::string command = "cd '" + dir.string() + "' && '" VELKAR_BINARY_DIR "/velkar-optimiser' " + args +
                              " 2>'" + err.string() + "' </dev/null >/dev/null";
  const int raw = std::system(command.c_str());
  std::ifstream in(err);
  std::stringstream text;
  text << in.rdbuf();
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
}

class ProgramExit : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("velkar-exit-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(ProgramExit, StatusTellsHowTheRunEnded) {
  struct Case {
    std::string args;
    int status;
    std::string stderrText;
  } cases[] = {
      {"", 2, "Invalid Entry Point\n"},
      {"prog.txt", 2, "Invalid Entry Point\n"},
      {"-l255 prog.LST", 0, ""},
      {"-l3 missing.LST", 1, ""},
      {"-l255 prog", 2, "Invalid Entry Point\n"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = RunOptimiserProgram(c.args, dir_);
    EXPECT_EQ(outcome.status, c.status) << c.args;
    EXPECT_EQ(outcome.stderrText, c.stderrText) << c.args;
  }
}

TEST_F(ProgramExit, Level255ReadsAndWritesNothing) {
  // An unreadable listing and no source: level 255 must not notice either.
  { std::ofstream(dir_ / "prog.LST") << "garbage\n"; }
  fs::permissions(dir_ / "prog.LST", fs::perms::none);
  const Outcome outcome = RunOptimiserProgram("-l255 prog.LST", dir_);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_FALSE(fs::exists(dir_ / "prog.S"));
  fs::permissions(dir_ / "prog.LST", fs::perms::owner_all);
  std::ifstream in(dir_ / "prog.LST");
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "garbage");
}

}  // namespace
