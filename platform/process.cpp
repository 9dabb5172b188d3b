#include "platform/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

// Writes all of `size` bytes or gives up; used by the child, so only async-signal-safe calls.
void WriteAll(int fd, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
}

// Between fork and exec: redirects as asked, then execs. On any failure the errno goes up
// the report pipe, which exec closes on success (CLOEXEC), so the parent can tell the two apart.
[[noreturn]] void StartChild(const char* path, char* const argv[], const ProcessOptions& options,
                             const char* outputFile, int reportFd) {
  if (options.output == ProcessOptions::Output::ToStandardError) {
    if (::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) goto failed;
  } else if (options.output == ProcessOptions::Output::ToFile) {
    const int out = ::open(outputFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0) goto failed;
    if (::dup2(out, STDOUT_FILENO) < 0 || ::dup2(out, STDERR_FILENO) < 0 || ::dup2(in, STDIN_FILENO) < 0)
      goto failed;
  }
  ::execv(path, argv);
failed:
  const int error = errno;
  WriteAll(reportFd, &error, sizeof error);
  ::_exit(127);
}

// Reads the child's report: 0 when exec succeeded (the pipe closed empty), else its errno.
int ReadStartReport(int fd) {
  int error = 0;
  std::size_t got = 0;
  while (got < sizeof error) {
    const ssize_t n = ::read(fd, reinterpret_cast<char*>(&error) + got, sizeof error - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got == sizeof error ? (error != 0 ? error : EIO) : 0;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

}  // namespace

ProcessResult RunProcess(const std::string& executable, const std::vector<std::string>& arguments,
                         const ProcessOptions& options) {
  ProcessResult result;
  // Everything the child needs is built before fork: after it only async-signal-safe calls.
  std::vector<std::string> texts;
  texts.reserve(arguments.size() + 1);
  texts.push_back(executable);
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  const std::string outputFile = options.outputFile;

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    result.code = errno;
    return result;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    result.code = errno;
    ::close(report[0]);
    ::close(report[1]);
    return result;
  }
  if (pid == 0) {
    ::close(report[0]);
    StartChild(executable.c_str(), argv.data(), options, outputFile.c_str(), report[1]);
  }
  ::close(report[1]);
  const int startError = ReadStartReport(report[0]);
  ::close(report[0]);
  const int status = WaitFor(pid);
  if (startError != 0) {
    result.code = startError;
  } else if (status >= 0 && WIFEXITED(status)) {
    result.ending = ProcessResult::Ending::Exited;
    result.code = WEXITSTATUS(status);
  } else if (status >= 0 && WIFSIGNALED(status)) {
    result.ending = ProcessResult::Ending::Signalled;
    result.code = WTERMSIG(status);
  } else {
    result.code = errno != 0 ? errno : ECHILD;
  }
  return result;
}

std::string DescribeEnding(const std::string& executable, const ProcessResult& result) {
  switch (result.ending) {
    case ProcessResult::Ending::Exited:
      return executable + " ended with exit code " + std::to_string(result.code);
    case ProcessResult::Ending::Signalled:
      return executable + " was ended by signal " + std::to_string(result.code) + " (" +
             ::strsignal(result.code) + ")";
    case ProcessResult::Ending::NotStarted:
      break;
  }
  return "cannot start " + executable + ": " + std::strerror(result.code);
}
