#pragma once
// Reading and writing the listing and the source as the program's files need it.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/string_list.h"

// Reads a listing one line at a time: a line ends at LF, a CR right before the LF is
// dropped, at most FileLineLimit characters are kept and the rest of the line is skipped.
class ListingFileReader {
 public:
  ListingFileReader() = default;
  ListingFileReader(const ListingFileReader&) = delete;
  ListingFileReader& operator=(const ListingFileReader&) = delete;
  ~ListingFileReader();

  bool Open(const std::string& path);  // false when the file cannot be opened for reading
  // Reads the next line into `line`. Returns true when a line feed ended it, false when the
  // read met the end of the file (the last line had no line feed, or nothing was left).
  bool ReadLine(std::string& line);
  bool Failed() const;  // a read error (not the end of the file) happened
  void Close();

 private:
  bool Fill();
  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool error_ = false;
};

bool FileExists(const std::string& path);

// Writes a text file whole or not at all: lines go to a temporary file in the target's
// folder, which replaces the target (keeping its permissions) only on Commit. Every line
// ends in CR LF. Destroying an uncommitted writer removes the temporary file.
class TextFileWriter {
 public:
  TextFileWriter() = default;
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;
  ~TextFileWriter();

  bool Open(const std::string& target);  // false when no temporary file can be created
  void WriteLine(std::string_view text);
  // Flushes, closes and renames over the target; false (target untouched) on any error.
  bool Commit();
  void Abandon();

 private:
  std::string target_;
  std::string temp_;
  void WritePending();
  static constexpr std::size_t WriteChunk = 1 << 16;
  std::string pending_;
  std::FILE* file_ = nullptr;
  bool error_ = false;
};

// Reads a whole source file; a line ends at CR, LF or CR LF. False when it cannot be read.
bool ReadSourceLines(const std::string& path, TStringList& lines);
