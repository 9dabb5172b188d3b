#pragma once
// Helpers for the tests that run the real programs: the optimiser, our MpasmWin, gputils'
// gpasm and gpsim.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process.h"

namespace e2e {

namespace fs = std::filesystem;

inline std::string OptimiserPath() { return std::string(VELKAR_BINARY_DIR) + "/velkar-optimiser"; }
inline std::string IncludesDir() { return std::string(VELKAR_BINARY_DIR) + "/Includes"; }
inline std::string MpasmWinPath() { return IncludesDir() + "/MpasmWin"; }
inline std::string ExamplesDir() { return std::string(VELKAR_SOURCE_DIR) + "/examples"; }

// The full path of `name` in PATH, empty when it is not there.
inline std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::string();
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline void WriteScript(const std::string& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body + "\n");
  ::chmod(path.c_str(), 0755);
}

// Lines without their line ends (LF or CR LF).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A folder of its own for each test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/velkar-e2e-XXXXXX";
    if (::mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct RunOutput {
  ProcessResult result;
  std::string output;  // standard output and standard error together
};

// Runs a program with its output captured in a file of `folder`.
inline RunOutput RunProgram(const TempFolder& folder, const std::string& program, const std::vector<std::string>& args) {
  const std::string capture = folder / ".output";
  RunOutput run;
  run.result = RunProcess(program, args, {ProcessOptions::Output::ToFile, capture});
  run.output = ReadFile(capture);
  fs::remove(capture);
  return run;
}

}  // namespace e2e
