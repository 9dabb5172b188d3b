#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/velkar-process-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Script(const std::string& name, const std::string& body, bool executable = true) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), executable ? 0755 : 0644);
    return path;
  }
  std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir_;
};

TEST_F(ProcessTest, ReportsHowTheProgramEnded) {
  struct Case {
    const char* name;
    std::string body;
    ProcessResult::Ending ending;
    int code;
  } cases[] = {
      {"exit0", "exit 0", ProcessResult::Ending::Exited, 0},
      {"exit1", "exit 1", ProcessResult::Ending::Exited, 1},
      {"exit200", "exit 200", ProcessResult::Ending::Exited, 200},
      {"killed", "kill -KILL $$", ProcessResult::Ending::Signalled, SIGKILL},
      {"terminated", "kill -TERM $$", ProcessResult::Ending::Signalled, SIGTERM},
  };
  for (const Case& c : cases) {
    const ProcessResult result = RunProcess(Script(c.name, c.body), {});
    EXPECT_EQ(result.ending, c.ending) << c.name;
    EXPECT_EQ(result.code, c.code) << c.name;
    EXPECT_EQ(result.Succeeded(), c.code == 0 && c.ending == ProcessResult::Ending::Exited) << c.name;
  }
}

TEST_F(ProcessTest, FailureToStartIsToldApartFromAnExitCode) {
  const std::string notExecutable = Script("plain", "exit 0", false);
  struct Case {
    std::string path;
    int error;
  } cases[] = {
      {dir_ + "/missing", ENOENT},
      {notExecutable, EACCES},
      {dir_, EACCES},    // a directory
      {"sh", ENOENT},    // no search of PATH: a bare name is a path in the current directory
  };
  for (const Case& c : cases) {
    const ProcessResult result = RunProcess(c.path, {});
    EXPECT_EQ(result.ending, ProcessResult::Ending::NotStarted) << c.path;
    EXPECT_EQ(result.code, c.error) << c.path;
    EXPECT_FALSE(result.Succeeded()) << c.path;
    EXPECT_NE(DescribeEnding(c.path, result).find("cannot start " + c.path), std::string::npos);
  }
}

TEST_F(ProcessTest, PassesArgumentsUnchangedAndInheritsTheWorkingDirectory) {
  const std::string out = dir_ + "/out.txt";
  const std::string script = Script("args", "pwd > \"" + out + "\"\nfor a in \"$@\"; do echo \"[$a]\" >> \"" + out + "\"; done");
  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  const ProcessResult result = RunProcess(script, {"/e+", "a b.S", "", "$HOME", "*"});
  fs::current_path(before);
  ASSERT_TRUE(result.Succeeded());
  EXPECT_EQ(Read(out), fs::canonical(dir_).string() + "\n[/e+]\n[a b.S]\n[]\n[$HOME]\n[*]\n");
}

TEST_F(ProcessTest, RedirectsOutputAsAsked) {
  const std::string script = Script("talk", "echo out; echo err >&2; cat; exit 3");
  const std::string file = dir_ + "/captured.txt";
  std::ofstream(file) << "old content that must go\n";
  const ProcessResult result = RunProcess(script, {}, {ProcessOptions::Output::ToFile, file});
  EXPECT_EQ(result.ending, ProcessResult::Ending::Exited);
  EXPECT_EQ(result.code, 3);
  EXPECT_EQ(Read(file), "out\nerr\n");  // standard input is empty, so cat ends at once

  const ProcessResult unwritable =
      RunProcess(script, {}, {ProcessOptions::Output::ToFile, dir_ + "/no/such/dir/file"});
  EXPECT_EQ(unwritable.ending, ProcessResult::Ending::NotStarted);
  EXPECT_EQ(unwritable.code, ENOENT);
}

}  // namespace
