#include "listing/text_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "listing/working_state.h"

namespace {
constexpr std::size_t ReadChunk = 1 << 16;
}

ListingFileReader::~ListingFileReader() { Close(); }

bool ListingFileReader::Open(const std::string& path) {
  Close();
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return false;
  buffer_.resize(ReadChunk);
  pos_ = end_ = 0;
  error_ = false;
  return true;
}

void ListingFileReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool ListingFileReader::Failed() const { return error_; }

bool ListingFileReader::Fill() {
  if (file_ == nullptr) return false;
  pos_ = 0;
  end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (end_ == 0 && std::ferror(file_)) error_ = true;
  return end_ > 0;
}

bool ListingFileReader::ReadLine(std::string& line) {
  line.clear();
  // Keeps one character past the limit, enough to tell whether a CR ends the kept part.
  constexpr std::size_t KeepAtMost = FileLineLimit + 1;
  std::size_t rawLength = 0;
  char last = '\0';
  bool lineFeed = false;
  while (pos_ < end_ || Fill()) {
    const char* start = buffer_.data() + pos_;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
    const std::size_t length = lf ? static_cast<std::size_t>(lf - start) : end_ - pos_;
    if (length > 0) {
      if (line.size() < KeepAtMost) line.append(start, std::min(length, KeepAtMost - line.size()));
      rawLength += length;
      last = start[length - 1];
    }
    pos_ += length;
    if (lf != nullptr) {
      ++pos_;
      lineFeed = true;
      break;
    }
  }
  // Only a CR right before the line feed belongs to the line end.
  const std::size_t textLength = rawLength - (lineFeed && last == '\r' ? 1 : 0);
  line.resize(std::min(textLength, FileLineLimit));
  return lineFeed;
}

bool FileExists(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

TextFileWriter::~TextFileWriter() { Abandon(); }

namespace {

// Creates the temporary file beside `target`, so that the final rename stays within one
// file system. A target name near the length limit leaves no room for the suffix; the
// temporary file then gets a short name of its own in the same folder.
int CreateTempBeside(const std::string& target, std::string& temp) {
  std::string pattern = target + ".velkar-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0 && errno == ENAMETOOLONG) {
    const std::size_t slash = target.rfind('/');
    pattern = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + ".velkar-XXXXXX";
    name.assign(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd = ::mkstemp(name.data());
  }
  if (fd >= 0) temp = name.data();
  return fd;
}

// The replacement takes the old file's permissions; a new target gets 0666 less the umask.
mode_t ModeForTarget(const std::string& target) {
  struct stat info;
  if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool TextFileWriter::Open(const std::string& target) {
  Abandon();
  target_ = target;
  error_ = false;
  const int fd = CreateTempBeside(target, temp_);
  if (fd < 0) return false;
  if (::fchmod(fd, ModeForTarget(target)) != 0) error_ = true;
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    ::close(fd);
    ::unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  return true;
}

void TextFileWriter::WriteLine(std::string_view text) {
  if (file_ == nullptr) {
    error_ = true;
    return;
  }
  // Sources and listings run to megabytes of short lines: gather them and write large pieces.
  pending_.append(text);
  pending_.append("\r\n");
  if (pending_.size() >= WriteChunk) WritePending();
}

void TextFileWriter::WritePending() {
  if (!pending_.empty() && std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size()) error_ = true;
  pending_.clear();
}

bool TextFileWriter::Commit() {
  if (file_ == nullptr) return false;
  // The data must be on disk before the rename makes it the target, or a crash could leave
  // a listing that is complete by name but empty in content.
  WritePending();
  bool ok = !error_ && std::fflush(file_) == 0 && !std::ferror(file_) && ::fdatasync(::fileno(file_)) == 0;
  if (std::fclose(file_) != 0) ok = false;
  file_ = nullptr;
  if (ok && std::rename(temp_.c_str(), target_.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp_.c_str());
  temp_.clear();
  return ok;
}

void TextFileWriter::Abandon() {
  pending_.clear();
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

bool ReadSourceLines(const std::string& path, TStringList& lines) {
  if (!FileExists(path)) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::string content;
  std::vector<char> chunk(ReadChunk);
  std::size_t got;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) content.append(chunk.data(), got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return false;
  lines.Clear();
  const std::size_t n = content.size();
  // Room for all lines at once: a list that grows by doubling holds two copies for a moment.
  const auto breaks = std::count_if(content.begin(), content.end(), [](char c) { return c == '\r' || c == '\n'; });
  lines.Reserve(static_cast<std::size_t>(breaks) + 1, n);
  std::size_t start = 0;
  while (start < n) {
    std::size_t end = start;
    while (end < n && content[end] != '\r' && content[end] != '\n') ++end;
    lines.Add(std::string_view(content).substr(start, end - start));
    if (end < n && content[end] == '\r' && end + 1 < n && content[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return true;
}
