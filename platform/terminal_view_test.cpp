#include "platform/terminal_view.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace {

// A view writing into a pipe, and what it wrote so far.
class TerminalViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::pipe(fds_), 0);
    ::fcntl(fds_[0], F_SETFL, O_NONBLOCK);
    Form2.Reset();
  }
  void TearDown() override {
    Form2.Reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  std::string Written() {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds_[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    return text;
  }
  int fds_[2];
};

const std::string Bar0 = "[....................]   0%";

TEST_F(TerminalViewTest, RedrawsOneLineInPlaceAndEndsItOnClose) {
  auto view = MakeTerminalView(fds_[1], {true, false, 80});
  Form2.AttachView(view.get());
  Application.ProcessMessages();
  EXPECT_EQ(Written(), "\rVelkar Optimiser  Loading File                   " + Bar0);
  Application.ProcessMessages();  // nothing changed: nothing written
  EXPECT_EQ(Written(), "");
  // A new label waits for the repaint; the gauge redraws at once under the old text.
  Form2.MessageLabel.Caption = "Tightening Conditions";
  Form2.Optimise_Gauge.SetMaxValue(10);
  Form2.Optimise_Gauge.SetProgress(5);
  EXPECT_EQ(Written(), "\rVelkar Optimiser  Loading File                   [##########..........]  50%");
  Form2.Caption = "Optimiser";
  Form2.Repaint();
  // Shorter than the line before: blanks cover the rest.
  EXPECT_EQ(Written(), "\rOptimiser  Tightening Conditions          [##########..........]  50%" + std::string(7, ' '));
  Form2.Close();
  EXPECT_EQ(Written(), "\n");
  view.reset();
  EXPECT_EQ(Written(), "");
}

TEST_F(TerminalViewTest, LineLeftOpenIsEndedWhenTheViewGoes) {
  auto view = MakeTerminalView(fds_[1], {true, false, 40});
  Form2.AttachView(view.get());
  Application.ProcessMessages();
  EXPECT_EQ(Written(), "\rVelkar Optimiser  Loading File         ");
  Form2.AttachView(nullptr);
  view.reset();
  EXPECT_EQ(Written(), "\n");
}

TEST_F(TerminalViewTest, WithoutTerminalOnlyTheErrorLineIsWritten) {
  struct Case {
    const char* label;
    std::string written;
  } cases[] = {
      {"Invalid Entry Point", "Invalid Entry Point\n"},
      {"Optimising. Please Wait...", ""},
      {"Loading File", ""},
  };
  for (const Case& c : cases) {
    Form2.Reset();
    auto view = MakeTerminalView(fds_[1], {false, true, 80});
    Form2.AttachView(view.get());
    Application.ProcessMessages();
    Form2.MessageLabel.Caption = c.label;
    Form2.Optimise_Gauge.SetMaxValue(3);
    Form2.Optimise_Gauge.SetProgress(2);
    Application.ProcessMessages();
    Form2.Close();
    view.reset();
    EXPECT_EQ(Written(), c.written) << c.label;
  }
}

TEST(TerminalSettings, ColourOnlyOnATerminalThatWantsIt) {
  struct Case {
    bool isTerminal;
    const char* noColor;
    const char* term;
    bool colour;
  } cases[] = {
      {true, nullptr, "xterm", true}, {true, nullptr, nullptr, true}, {true, "", "xterm", true},
      {true, "1", "xterm", false},    {true, "0", "xterm", false},    {true, nullptr, "dumb", false},
      {false, nullptr, "xterm", false},
  };
  for (const Case& c : cases) {
    const TerminalSettings settings = SettingsFor(c.isTerminal, c.noColor, c.term);
    EXPECT_EQ(settings.isTerminal, c.isTerminal);
    EXPECT_EQ(settings.colour, c.colour) << c.isTerminal << " NO_COLOR=" << (c.noColor ? c.noColor : "(unset)")
                                         << " TERM=" << (c.term ? c.term : "(unset)");
  }
}

}  // namespace
