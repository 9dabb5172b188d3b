#pragma once
// Helpers for tests that read and write real files.
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

// Writes `bytes` to `path` exactly as given (no line-end translation).
inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A private folder for the files a test reads and writes; removed with everything in it when
// the test ends.
class TestTempDir {
 public:
  TestTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velkar-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("cannot create a test folder");
    path_ = name.data();
  }
  TestTempDir(const TestTempDir&) = delete;
  TestTempDir& operator=(const TestTempDir&) = delete;
  ~TestTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  // Writes `bytes` exactly as given (no line-end translation) and returns the file's path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string path = File(name);
    WriteBytes(path, bytes);
    return path;
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Names of the files in the folder (to see that no temporary file was left behind).
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(path_))
      names.push_back(item.path().filename().string());
    return names;
  }

 private:
  std::string path_;
};

// Lowers the limit on the size of written files for one test, so that writing fails (with
// EFBIG rather than the default signal) even for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};
