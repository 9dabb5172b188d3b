#include "listing/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "listing/test_files.h"

namespace {

struct ReadResult {
  std::string line;
  bool lineFeedEnded;
  bool operator==(const ReadResult&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ReadResult& r) {
  return out << "[" << r.line.size() << " chars: " << r.line.substr(0, 20) << "] " << (r.lineFeedEnded ? "LF" : "EOF");
}

// Every read up to and including the one that meets the end of the file.
std::vector<ReadResult> ReadAll(const std::string& path) {
  ListingFileReader reader;
  EXPECT_TRUE(reader.Open(path));
  std::vector<ReadResult> reads;
  std::string line;
  bool lineFeedEnded;
  do {
    lineFeedEnded = reader.ReadLine(line);
    reads.push_back({line, lineFeedEnded});
  } while (lineFeedEnded);
  EXPECT_FALSE(reader.Failed());
  return reads;
}

std::string Chars(std::size_t n, char c = 'x') { return std::string(n, c); }

TEST(ListingFileReaderTest, SplitsAtLineFeedsDropsTheCarriageReturnBeforeOneAndCutsAt349) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<ReadResult> reads;
  } cases[] = {
      {"empty file", "", {{"", false}}},
      {"final line feed gives one more empty read", "a\n", {{"a", true}, {"", false}}},
      {"last line without line feed", "a\nb", {{"a", true}, {"b", false}}},
      {"CR LF", "a\r\nb\r\n", {{"a", true}, {"b", true}, {"", false}}},
      {"CR inside a line stays", "a\rb\n", {{"a\rb", true}, {"", false}}},
      {"CR at the end of the file stays", "a\r", {{"a\r", false}}},
      {"only the CR right before LF goes", "a\r\r\n", {{"a\r", true}, {"", false}}},
      {"empty lines", "\n\r\n", {{"", true}, {"", true}, {"", false}}},
      {"zero byte kept", std::string("a\0b\n", 4), {{std::string("a\0b", 3), true}, {"", false}}},
      {"349 read whole", Chars(349) + "\nz\n", {{Chars(349), true}, {"z", true}, {"", false}}},
      {"350 cut, rest skipped", Chars(349) + "yy\nz\n", {{Chars(349), true}, {"z", true}, {"", false}}},
      {"349 with CR LF", Chars(349) + "\r\nz", {{Chars(349), true}, {"z", false}}},
      {"CR as 349th character of a longer line", Chars(348) + "\rq\n", {{Chars(348) + "\r", true}, {"", false}}},
      {"long last line without LF", Chars(1000), {{Chars(349), false}}},
  };
  TestTempDir dir;
  for (const Case& c : cases) EXPECT_EQ(ReadAll(dir.Write("t.lst", c.bytes)), c.reads) << c.name;
}

TEST(ListingFileReaderTest, CarriageReturnAndLineFeedSplitAcrossReadChunks) {
  // The reader fetches the file in blocks of 64 KiB; the CR of "ab\r\n" is the block's last
  // byte and its LF the next block's first.
  TestTempDir dir;
  const std::string bytes = Chars(65532) + "\n" + "ab\r\n" + "cd";
  ASSERT_EQ(bytes[65535], '\r');
  const std::vector<ReadResult> expected = {{Chars(349), true}, {"ab", true}, {"cd", false}};
  EXPECT_EQ(ReadAll(dir.Write("t.lst", bytes)), expected);
}

TEST(ListingFileReaderTest, OpensRegularFilesOnly) {
  TestTempDir dir;
  ListingFileReader reader;
  EXPECT_FALSE(reader.Open(dir.File("missing.lst")));
  EXPECT_FALSE(reader.Open(dir.Path()));
  EXPECT_TRUE(reader.Open(dir.Write("t.lst", "x")));

  EXPECT_TRUE(FileExists(dir.File("t.lst")));
  EXPECT_FALSE(FileExists(dir.File("missing.lst")));
  EXPECT_FALSE(FileExists(dir.Path()));
  EXPECT_FALSE(FileExists(""));
}

TEST(TextFileWriterTest, CommitReplacesTheTargetWithCrLfLinesAndKeepsItsPermissions) {
  TestTempDir dir;
  const std::string target = dir.Write("t.lst", "old\n");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  TextFileWriter writer;
  ASSERT_TRUE(writer.Open(target));
  writer.WriteLine("one");
  writer.WriteLine("");
  writer.WriteLine("three");
  EXPECT_EQ(TestTempDir::Read(target), "old\n") << "the target changes only on Commit";
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(TestTempDir::Read(target), "one\r\n\r\nthree\r\n");
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.lst"});
}

TEST(TextFileWriterTest, NewTargetGetsTheUsualPermissionsAndNoLinesGiveAnEmptyFile) {
  TestTempDir dir;
  const mode_t mask = ::umask(022);
  TextFileWriter writer;
  ASSERT_TRUE(writer.Open(dir.File("new.lst")));
  EXPECT_TRUE(writer.Commit());
  ::umask(mask);
  struct stat info;
  ASSERT_EQ(::stat(dir.File("new.lst").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_EQ(info.st_size, 0);
}

TEST(TextFileWriterTest, AbandonedOrDestroyedWriterLeavesTheTargetAndNoTemporaryFile) {
  TestTempDir dir;
  const std::string target = dir.Write("t.lst", "old\n");
  {
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(target));
    writer.WriteLine("new");
    writer.Abandon();
    EXPECT_FALSE(writer.Commit()) << "nothing left to commit";
  }
  {
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(target));
    writer.WriteLine("new");
  }
  EXPECT_EQ(TestTempDir::Read(target), "old\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.lst"});
}

TEST(TextFileWriterTest, FailuresAreReportedAndLeaveTheTargetAlone) {
  TestTempDir dir;
  // No folder to put the temporary file in.
  TextFileWriter writer;
  EXPECT_FALSE(writer.Open(dir.File("no-such-folder/t.lst")));
  writer.WriteLine("x");
  EXPECT_FALSE(writer.Commit());

  // A folder in the target's place cannot be replaced by a file.
  ASSERT_TRUE(std::filesystem::create_directory(dir.File("folder.lst")));
  ASSERT_TRUE(writer.Open(dir.File("folder.lst")));
  writer.WriteLine("x");
  EXPECT_FALSE(writer.Commit());
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.lst")));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"folder.lst"});
}

TEST(TextFileWriterTest, WriteFailureMakesCommitFalseAndKeepsTheOldFile) {
  TestTempDir dir;
  const std::string target = dir.Write("t.lst", "old\n");
  bool committed;
  {
    FileSizeLimit limit(1000);
    TextFileWriter writer;
    ASSERT_TRUE(writer.Open(target));
    for (int i = 0; i < 1000; ++i) writer.WriteLine("0000 0E05 00012 MOVLW 5");
    committed = writer.Commit();
  }
  EXPECT_FALSE(committed);
  EXPECT_EQ(TestTempDir::Read(target), "old\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.lst"});
}

TEST(TextFileWriterTest, TargetNameTooLongForTheSuffixStillGetsATemporaryFileBesideIt) {
  TestTempDir dir;
  const std::string target = dir.Write(Chars(250, 'n') + ".lst", "old\n");
  TextFileWriter writer;
  ASSERT_TRUE(writer.Open(target));
  writer.WriteLine("new");
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(TestTempDir::Read(target), "new\r\n");
  EXPECT_EQ(dir.Names().size(), 1u);
}

TEST(ReadSourceLinesTest, LinesEndAtCrLfOrCrLf) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc\r", {"a", "b", "c"}},
      {"\n\r\n\r", {"", "", ""}},
      {"a\n\rb", {"a", "", "b"}},
  };
  TestTempDir dir;
  for (const Case& c : cases) {
    TStringList lines;
    lines.Add("stale");
    ASSERT_TRUE(ReadSourceLines(dir.Write("t.s", c.bytes), lines));
    EXPECT_EQ(lines.Items(), c.lines) << "bytes: " << testing::PrintToString(c.bytes);
  }
  TStringList lines;
  EXPECT_FALSE(ReadSourceLines(dir.File("missing.s"), lines));
}

}  // namespace
