#pragma once
// Helpers for the tests that run the real programs: the optimiser, our MpasmWin, gputils'
// gpasm and gpsim.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
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

inline const std::vector<std::string> kAssemblerOptions = {"/e+", "/l+", "/x-", "/w2", "/c-", "/m+", "/q"};

// Bytes of program memory the hex file fills (configuration and EEPROM data excluded).
inline std::uint32_t ProgramBytes(const std::string& hexText) {
  std::uint32_t bytes = 0;
  std::uint32_t upper = 0;
  for (const std::string& record : Lines(hexText)) {
    if (record.size() < 11 || record[0] != ':') continue;
    const std::uint32_t count = std::stoul(record.substr(1, 2), nullptr, 16);
    const std::uint32_t type = std::stoul(record.substr(7, 2), nullptr, 16);
    if (type == 4) upper = std::stoul(record.substr(9, 4), nullptr, 16) << 16;
    if (type == 0 && upper < 0x200000) bytes += count;
  }
  return bytes;
}

struct SimulatorRun {
  std::string pc;   // where the run stopped, "0x..."
  std::string ram;  // the dump of the general-purpose RAM, 0x000 to 0x5FF
  std::string output;
};

// Runs the program in gpsim until it reaches DONE (or a cycle limit, which then shows as
// a different stopping place) and dumps the RAM.
inline SimulatorRun Simulate(const TempFolder& folder, const std::string& cod) {
  const std::string script = folder / "run.stc";
  WriteFile(script, "break e DONE\nbreak c 5000000\nrun\npc\ndump r\nquit\n");
  SimulatorRun run;
  run.output = RunProgram(folder, FindOnPath("gpsim"), {"-i", "-S", "disable", "-s", cod, "-c", script}).output;
  for (const std::string& line : Lines(run.output)) {
    const std::size_t pc = line.find("pc = 0x");
    if (run.pc.empty() && pc != std::string::npos) run.pc = line.substr(pc + 5);
    if (line.size() >= 54 && line[4] == ':' && line.substr(0, 4) < "0600" &&
        line.find_first_not_of("0123456789abcdef") == 4)
      run.ram += line.substr(0, 54) + "\n";
  }
  return run;
}

// The value of a symbol in a listing's symbol table, as the hexadecimal text gpasm writes.
inline std::string SymbolValue(const std::string& listing, const std::string& name) {
  for (const std::string& line : Lines(listing)) {
    if (line.rfind(name + " ", 0) != 0) continue;
    const std::size_t value = line.find_first_not_of(' ', name.size());
    if (value != std::string::npos) return line.substr(value);
  }
  return std::string();
}

inline std::string Hex(const std::string& value) {  // "0000187E" -> "0x187e", as gpsim prints it
  std::size_t start = value.find_first_not_of('0');
  std::string digits = start == std::string::npos ? "0" : value.substr(start);
  for (char& c : digits) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "0x" + digits;
}

}  // namespace e2e
