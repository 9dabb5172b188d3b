#include "shell/reassemble.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "listing/working_state.h"
#include "platform/vcl.h"

namespace {

namespace fs = std::filesystem;

// Remembers the label text at each repaint.
class PaintRecorder : public TWindowView {
 public:
  void Paint(const TForm2& form) override { paints.push_back(form.MessageLabel.Caption); }
  void GaugeChanged(const TForm2&) override {}
  void Closed(const TForm2&) override {}
  std::vector<std::string> paints;
};

// AssemblerDir is a temporary folder; the assembler in it is a shell script that records
// its arguments, one per line, and then does what the test asks.
class ReassembleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorkingState();
    Form2.Reset();
    Form2.AttachView(&recorder_);
    char pattern[] = "/tmp/velkar-reassemble-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    AssemblerDir = dir_ + "/Includes/";
    fs::create_directory(AssemblerDir);
    SourceFileName = dir_ + "/my prog.S";
  }
  void TearDown() override {
    Form2.Reset();
    fs::remove_all(dir_);
  }

  void InstallAssembler(const std::string& action) {
    const std::string path = AssemblerDir + "MpasmWin";
    std::ofstream(path) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" << dir_ << "/args\"\n"
                        << action << "\n";
    ::chmod(path.c_str(), 0755);
  }
  std::string RecordedArguments() {
    std::ifstream in(dir_ + "/args");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  PaintRecorder recorder_;
  std::string dir_;
};

TEST_F(ReassembleTest, RunsTheAssemblerWithItsEightArgumentsAndSucceedsOnExitCodeZero) {
  InstallAssembler("exit 0");
  EXPECT_TRUE(Reassemble());
  EXPECT_EQ(RecordedArguments(), "/e+\n/l+\n/x-\n/w2\n/c-\n/m+\n/q\n" + dir_ + "/my prog.S\n");
  EXPECT_EQ(Form2.MessageLabel.Caption, "Re-Assembling. Please Wait...");
  // The new text shows at the repaint after the wait, not before the assembler starts.
  ASSERT_FALSE(recorder_.paints.empty());
  EXPECT_EQ(recorder_.paints.front(), "Re-Assembling. Please Wait...");
}

TEST_F(ReassembleTest, AnyOtherEndingIsAFailure) {
  struct Case {
    const char* name;
    std::string action;  // empty: no assembler installed
  } cases[] = {
      {"exit code 1", "exit 1"},
      {"exit code 255", "exit 255"},
      {"killed by a signal", "kill -KILL $$"},
      {"listing written, exit code 1", "echo listing > \"$8.LST\"; exit 1"},
      {"missing executable", ""},
  };
  for (const Case& c : cases) {
    fs::remove(AssemblerDir + "MpasmWin");
    if (!c.action.empty()) InstallAssembler(c.action);
    recorder_.paints.clear();
    EXPECT_FALSE(Reassemble()) << c.name;
    EXPECT_EQ(Form2.MessageLabel.Caption, "Re-Assembling. Please Wait...") << c.name;
    EXPECT_FALSE(recorder_.paints.empty()) << c.name << ": the window comes back after the assembler";
  }
}

TEST_F(ReassembleTest, WaitsForTheAssemblerToEnd) {
  // The assembler writes its listing only after a pause; the result must already be there.
  InstallAssembler("sleep 1; echo done > \"" + dir_ + "/late\"");
  EXPECT_TRUE(Reassemble());
  EXPECT_TRUE(fs::exists(dir_ + "/late"));
}

TEST_F(ReassembleTest, LooksForTheAssemblerInAssemblerDirOnly) {
  InstallAssembler("exit 0");
  fs::create_directory(dir_ + "/Elsewhere");
  AssemblerDir = dir_ + "/Elsewhere/";
  EXPECT_FALSE(Reassemble());
  AssemblerDir = dir_ + "/Elsewhere/../Includes/";
  EXPECT_TRUE(Reassemble());
}

}  // namespace
