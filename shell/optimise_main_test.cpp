#include "shell/optimise_main.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/working_state.h"
#include "platform/vcl.h"

namespace {

struct Settings {
  std::string listing;
  std::string source;
  std::string assemblerDir;
  int level;
};

Settings StartWith(const std::vector<std::string>& args) {
  ResetWorkingState();
  FormCreate(args);
  return {ListingFileName, SourceFileName, AssemblerDir, OptimiseLevel};
}

std::string DefaultAssemblerDir() {
  const std::string exe = Application.ExeName();
  return exe.substr(0, exe.rfind('/')) + "/Includes/";
}

TEST(CommandLine, NoArgumentsGiveTheDefaults) {
  const Settings s = StartWith({});
  EXPECT_EQ(s.listing, "");
  EXPECT_EQ(s.source, ".S");
  EXPECT_EQ(s.assemblerDir, DefaultAssemblerDir());
  EXPECT_EQ(s.level, 1);
  EXPECT_EQ(Application.Title, "Velkar 18F Optimiser");
}

TEST(CommandLine, LevelsAreReadAsDecimalAndKeptModulo256) {
  struct Case {
    std::vector<std::string> args;
    int level;
  } cases[] = {
      {{"-l"}, 0},         {{"-l3x"}, 3},      {{"-L4"}, 4},         {{"-l255"}, 255},   {{"-l511"}, 255},
      {{"-l256"}, 0},      {{"-l-1"}, 255},    {{"-l+7"}, 7},        {{"-level3"}, 0},   {{"-l  \t2"}, 2},
      {{"-l 3", "-l5"}, 5}, {{"-l4294967298"}, 2}, {{"-l", "3"}, 0}, {{"-x9"}, 1},       {{"-"}, 1},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += "[" + a + "]";
    EXPECT_EQ(StartWith(c.args).level, c.level) << joined;
  }
}

TEST(CommandLine, OptionLettersAreCaseSensitiveAndUnknownOnesIgnored) {
  // Only l/L and i/I mean anything; every other letter, in either case, is accepted silently.
  for (const char* arg : {"-a1", "-A1", "-c1", "-C1", "-d1", "-D1", "-p1", "-P1", "-v1", "-V1", "-w1", "-W1", "-q"}) {
    const Settings s = StartWith({arg, "prog.LST"});
    EXPECT_EQ(s.level, 1) << arg;
    EXPECT_EQ(s.assemblerDir, DefaultAssemblerDir()) << arg;
    EXPECT_EQ(s.listing, "prog.LST") << arg;
  }
}

TEST(CommandLine, AssemblerDirGetsOneSlashAppended) {
  struct Case {
    std::vector<std::string> args;
    std::string dir;
  } cases[] = {
      {{"-i/opt/asm"}, "/opt/asm/"},
      {{"-i/opt/asm/"}, "/opt/asm//"},
      {{"-I  /opt/my asm"}, "/opt/my asm/"},
      {{"-i/opt/asm  "}, "/opt/asm  /"},  // trailing characters stay
      {{"-i"}, DefaultAssemblerDir()},
      {{"-i/a", "-I/b"}, "/b/"},
  };
  for (const Case& c : cases) EXPECT_EQ(StartWith(c.args).assemblerDir, c.dir) << c.args.front();
}

TEST(CommandLine, ListingPathIsTheLastPlainArgumentAndTheSourceIsDerived) {
  struct Case {
    std::vector<std::string> args;
    std::string listing;
    std::string source;
  } cases[] = {
      {{"prog.lst"}, "prog.lst", "prog.S"},
      {{"prog"}, "prog", "prog.S"},
      {{"dir.x/prog"}, "dir.x/prog", "dir.x/prog.S"},
      {{"dir.x\\prog"}, "dir.x\\prog", "dir.x\\prog.S"},
      {{"c:prog"}, "c:prog", "c:prog.S"},
      {{"a.b.LST"}, "a.b.LST", "a.b.S"},
      {{"first.LST", "-l3", "second.LST"}, "second.LST", "second.S"},
      {{"my prog.LST"}, "my prog.LST", "my prog.S"},
      {{"", "x.LST", ""}, "x.LST", "x.S"},  // an empty argument is skipped
  };
  for (const Case& c : cases) {
    const Settings s = StartWith(c.args);
    EXPECT_EQ(s.listing, c.listing) << c.listing;
    EXPECT_EQ(s.source, c.source) << c.listing;
  }
}

TEST(CommandLine, ExtensionIsTakenAfterTheLastSeparator) {
  struct Case {
    const char* path;
    const char* extension;
  } cases[] = {
      {"prog.LST", ".LST"}, {"prog", ""},       {"dir.x/prog", ""}, {"dir.x\\prog", ""},
      {"a:b.c:d", ""},      {"x/y.lst", ".lst"}, {"", ""},          {"prog.", "."},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtensionOf(c.path), c.extension) << c.path;
}

TEST(CommandLine, FormCloseEmptiesTheLists) {
  ResetWorkingState();
  SymbolList.Add("A,1");
  ListingLines.Add("X");
  FormClose();
  EXPECT_EQ(SymbolList.Count(), 0u);
  EXPECT_EQ(ListingLines.Count(), 0u);
}

}  // namespace
