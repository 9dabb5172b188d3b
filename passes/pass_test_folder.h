#pragma once
// For the tests of the rewriting passes: a fresh folder per test that holds the source file,
// removed again afterwards, and whole-file reads and writes in bytes.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class PassTestFolder {
 public:
  PassTestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velkar-pass-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) != nullptr) path_ = name.data();
  }
  ~PassTestFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  PassTestFolder(const PassTestFolder&) = delete;
  PassTestFolder& operator=(const PassTestFolder&) = delete;

  std::string File(const std::string& name) const { return path_ + "/" + name; }

  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Names of everything in the folder, so a test can tell that no temporary file was left.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    return names;
  }

 private:
  std::string path_;
};

// The lines joined as the passes write them: each one followed by CR LF.
inline std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}
