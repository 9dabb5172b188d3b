#pragma once
// Starting another program and waiting for it: directly (no shell, no search of PATH), with
// an argument vector, in the current working directory, without a time limit.
#include <string>
#include <vector>

struct ProcessOptions {
  // Where the program's standard output goes. ToFile also sends its standard error into the
  // file and gives it an empty standard input.
  enum class Output { Inherit, ToStandardError, ToFile };
  Output output = Output::Inherit;
  std::string outputFile;  // for ToFile: created, or emptied when it exists
};

struct ProcessResult {
  enum class Ending { Exited, Signalled, NotStarted };
  Ending ending = Ending::NotStarted;
  // Exited: the exit code; Signalled: the signal number; NotStarted: the errno of the failure.
  int code = 0;

  bool Succeeded() const { return ending == Ending::Exited && code == 0; }
};

// Runs `executable` (a path, used as it is) with `arguments` (argv[1] onward; argv[0] is the
// executable path) and waits until it has ended.
ProcessResult RunProcess(const std::string& executable, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});

// One line for a user: how the program ended or why it could not start.
std::string DescribeEnding(const std::string& executable, const ProcessResult& result);
