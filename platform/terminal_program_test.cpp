// The program itself, run with standard error on a pseudo-terminal, a pipe and a file: what it
// draws, and that drawing changes nothing else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

enum class StandardError { Terminal, Pipe, File };

struct ProgramRun {
  int status = -1;
  std::string stderrText;  // on a terminal: everything the terminal received
  std::string stdoutText;
};

struct Environment {
  const char* noColor = nullptr;  // null: not set
  unsigned short columns = 100;
};

// In the child: the directory and environment, then the program.
[[noreturn]] void StartProgram(const fs::path& dir, const std::vector<std::string>& args, const Environment& env) {
  std::vector<char*> argv;
  static char program[] = VELKAR_BINARY_DIR "/velkar-optimiser";
  argv.push_back(program);
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  if (::chdir(dir.c_str()) != 0) ::_exit(126);
  if (env.noColor != nullptr) ::setenv("NO_COLOR", env.noColor, 1);
  else ::unsetenv("NO_COLOR");
  ::setenv("TERM", "xterm", 1);
  ::execv(program, argv.data());
  ::_exit(127);
}

// Everything from `fd` until its writer is gone; gives up after ten quiet seconds.
std::string ReadUntilClosed(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    pollfd waiting{fd, POLLIN, 0};
    if (::poll(&waiting, 1, 10000) <= 0) break;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // a pseudo-terminal reports EIO once the program has closed it
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int WaitFor(pid_t pid) {
  int raw = 0;
  while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

ProgramRun RunProgram(const fs::path& dir, const std::vector<std::string>& args, StandardError where,
                      const Environment& env = {}) {
  ProgramRun run;
  if (where == StandardError::Terminal) {
    int master = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = env.columns;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid < 0) return run;
    if (pid == 0) StartProgram(dir, args, env);
    run.stderrText = ReadUntilClosed(master);
    ::close(master);
    run.status = WaitFor(pid);
    return run;
  }
  const fs::path out = dir.parent_path() / (dir.filename().string() + ".stdout");
  const fs::path err = dir.parent_path() / (dir.filename().string() + ".stderr");
  int fds[2] = {-1, -1};
  if (where == StandardError::Pipe && ::pipe(fds) != 0) return run;
  const pid_t pid = ::fork();
  if (pid < 0) return run;
  if (pid == 0) {
    const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFd = where == StandardError::Pipe ? fds[1] : ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int inFd = ::open("/dev/null", O_RDONLY);
    ::dup2(inFd, 0);
    ::dup2(outFd, 1);
    ::dup2(errFd, 2);
    if (fds[0] >= 0) ::close(fds[0]);
    StartProgram(dir, args, env);
  }
  if (where == StandardError::Pipe) {
    ::close(fds[1]);
    run.stderrText = ReadUntilClosed(fds[0]);
    ::close(fds[0]);
  }
  run.status = WaitFor(pid);
  if (where == StandardError::File) run.stderrText = FileText(err);
  run.stdoutText = FileText(out);
  fs::remove(out);
  fs::remove(err);
  return run;
}

// Names and contents of every file in `dir`.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) files[entry.path().filename().string()] = FileText(entry.path());
  return files;
}

class ProgramOnTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = fs::temp_directory_path() / ("velkar-window-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

const std::string Loading = "\rVelkar Optimiser  Loading File                   [....................]   0%";

TEST_F(ProgramOnTerminal, DrawsTheStatusLine) {
  const std::string red = "\x1b[31m", faint = "\x1b[2m", plain = "\x1b[0m";
  struct Case {
    std::vector<std::string> args;
    Environment env;
    int status;
    std::string drawn;  // the terminal turns the closing line feed into CR LF
  } cases[] = {
      {{"-l255", "x.LST"}, {}, 0, Loading + "\r\n"},
      // No path: red text, gauge greyed out (disabled).
      {{}, {}, 2,
       Loading + "\rVelkar Optimiser  " + red + "Invalid Entry Point" + plain + "            " + faint +
           "[....................]   0%" + plain + "\r\n"},
      {{"x.txt"}, {}, 2,
       Loading + "\rVelkar Optimiser  " + red + "Invalid Entry Point" + plain + "            [....................]   0%\r\n"},
      {{}, {"1", 100}, 2, Loading + "\rVelkar Optimiser  Invalid Entry Point            [....................]   0%\r\n"},
      {{}, {"", 100}, 2,
       Loading + "\rVelkar Optimiser  " + red + "Invalid Entry Point" + plain + "            " + faint +
           "[....................]   0%" + plain + "\r\n"},
      // A narrow terminal gets the line cut one short of its width.
      {{"-l255", "x.LST"}, {nullptr, 20}, 0, "\rVelkar Optimiser  L\r\n"},
      {{"-l1", "missing.LST"}, {}, 1,
       Loading + "\rVelkar Optimiser  Optimising. Please Wait...     [....................]   0%\r\n"},
  };
  for (const Case& c : cases) {
    std::string name;
    for (const std::string& arg : c.args) name += arg + " ";
    name += "NO_COLOR=" + std::string(c.env.noColor ? c.env.noColor : "(unset)");
    const ProgramRun run = RunProgram(dir_, c.args, StandardError::Terminal, c.env);
    EXPECT_EQ(run.status, c.status) << name;
    EXPECT_EQ(run.stderrText, c.drawn) << name;
  }
}

TEST_F(ProgramOnTerminal, DrawsNothingButTheErrorLineElsewhere) {
  struct Case {
    std::vector<std::string> args;
    std::string written;
  } cases[] = {
      {{}, "Invalid Entry Point\n"},
      {{"x.txt"}, "Invalid Entry Point\n"},
      {{"-l255", "x.LST"}, ""},
      {{"-l1", "missing.LST"}, ""},
  };
  for (StandardError where : {StandardError::Pipe, StandardError::File}) {
    const char* kind = where == StandardError::Pipe ? "pipe" : "file";
    for (const Case& c : cases) {
      const std::string name = std::string(kind) + ": " + (c.args.empty() ? "(no arguments)" : c.args.back());
      const ProgramRun run = RunProgram(dir_, c.args, where, {"", 100});
      EXPECT_EQ(run.stderrText, c.written) << name;
      EXPECT_EQ(run.stdoutText, "") << name;
    }
  }
}

TEST_F(ProgramOnTerminal, DrawingChangesNothingTheRunDoes) {
  // A small program's listing; however far the run gets, it must get there the same way.
  const std::string listing =
      "gpasm-1.4.0 #1107 (Jan  1 2021)      prog.S   1-1-2026  00:00:00        PAGE  1\n"
      "\n"
      "\n"
      "LOC    OBJECT CODE    LINE  SOURCE TEXT\n"
      "  VALUE\n"
      "\n"
      "000000 0000           00001     NOP;@USE@_CALL DELAY\n"
      "000002 0012           00002 DELAY RETURN 0\n"
      "                      00003     END\n"
      "\n"
      "SYMBOL TABLE\n"
      "  LABEL                             VALUE\n"
      "\n"
      "DELAY                             00000002\n";
  std::map<std::string, std::string> results[3];
  int statuses[3];
  int i = 0;
  for (StandardError where : {StandardError::Terminal, StandardError::Pipe, StandardError::File}) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    { std::ofstream(dir_ / "prog.LST", std::ios::binary) << listing; }
    { std::ofstream(dir_ / "prog.S", std::ios::binary) << "    NOP;@USE@_CALL DELAY\r\nDELAY RETURN 0\r\n    END\r\n"; }
    statuses[i] = RunProgram(dir_, {"-l3", "-i" + dir_.string(), "prog.LST"}, where).status;
    results[i] = Snapshot(dir_);
    ++i;
  }
  EXPECT_EQ(statuses[1], statuses[0]);
  EXPECT_EQ(statuses[2], statuses[0]);
  EXPECT_EQ(results[1], results[0]);
  EXPECT_EQ(results[2], results[0]);
}

}  // namespace
