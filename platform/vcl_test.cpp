#include "platform/vcl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/recording_view_test.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Form2.Reset();
    Form2.AttachView(&view_);
  }
  void TearDown() override { Form2.Reset(); }
  RecordingView view_;
};

TEST_F(WindowTest, GaugeHoldsProgressBetweenZeroAndTheMaximum) {
  struct Step {
    char what;  // 'm': SetMaxValue, 'p': SetProgress
    int value;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    int max;
    int progress;
    int percent;
  } cases[] = {
      {"progress above the maximum", {{'p', 150}}, 100, 100, 100},
      {"negative progress", {{'p', 30}, {'p', -5}}, 100, 0, 0},
      {"maximum lowered below the progress", {{'p', 80}, {'m', 50}}, 50, 50, 100},
      {"maximum raised above the progress", {{'p', 30}, {'m', 200}}, 200, 30, 15},
      {"percentage rounded down", {{'m', 3}, {'p', 2}}, 3, 2, 66},
      {"one short of full", {{'m', 1000}, {'p', 999}}, 1000, 999, 99},
      {"maximum equal to the minimum", {{'m', 0}, {'p', 5}}, 0, 0, 0},
      {"maximum below the minimum", {{'p', 10}, {'m', -7}}, 0, 0, 0},
      {"largest values", {{'m', 2147483647}, {'p', 2147483646}}, 2147483647, 2147483646, 99},
  };
  for (const Case& c : cases) {
    Form2.Reset();
    for (const Step& step : c.steps) {
      if (step.what == 'm') Form2.Optimise_Gauge.SetMaxValue(step.value);
      else Form2.Optimise_Gauge.SetProgress(step.value);
    }
    EXPECT_EQ(Form2.Optimise_Gauge.MinValue(), 0) << c.name;
    EXPECT_EQ(Form2.Optimise_Gauge.MaxValue(), c.max) << c.name;
    EXPECT_EQ(Form2.Optimise_Gauge.Progress(), c.progress) << c.name;
    EXPECT_EQ(Form2.Optimise_Gauge.PercentDone(), c.percent) << c.name;
  }
}

TEST_F(WindowTest, GaugeRedrawsAtOnceOnNewMaximumAndNewPercentageOnly) {
  TCGauge& gauge = Form2.Optimise_Gauge;
  gauge.SetMaxValue(1000);
  gauge.SetMaxValue(1000);  // set again: the gauge still redraws
  gauge.SetProgress(9);     // 0 %: nothing to redraw
  gauge.SetProgress(10);    // 1 %
  gauge.SetProgress(19);    // still 1 %
  gauge.SetProgress(19);
  gauge.SetProgress(500);
  gauge.SetProgress(2000);  // held at the maximum: 100 %
  gauge.SetProgress(1000);
  gauge.SetMaxValue(400);   // lowers the progress with it; still 100 %, still a redraw
  gauge.SetEnabled(false);  // shows at the next repaint, not at once
  EXPECT_EQ(view_.events, (std::vector<std::string>{"gauge 0%", "gauge 0%", "gauge 1%", "gauge 50%", "gauge 100%",
                                                    "gauge 100%"}));
  Application.ProcessMessages();
  EXPECT_EQ(view_.events.back(), "paint Velkar Optimiser|Loading File|black 100% disabled");
}

TEST_F(WindowTest, TextsShowOnlyWhenTheWindowRepaints) {
  Form2.Caption = "Other Caption";
  Form2.MessageLabel.Caption = "Tightening Conditions";
  Form2.MessageLabel.FontColor = clRed;
  EXPECT_TRUE(view_.events.empty());
  // A gauge redraw in between shows the gauge alone; the view is handed the form, but only
  // a repaint tells it to show the texts.
  Form2.Optimise_Gauge.SetMaxValue(10);
  EXPECT_EQ(view_.events, std::vector<std::string>{"gauge 0%"});
  Application.ProcessMessages();
  Form2.MessageLabel.Caption = "Re-Assembling. Please Wait...";
  Form2.Repaint();
  EXPECT_EQ(view_.events, (std::vector<std::string>{"gauge 0%", "paint Other Caption|Tightening Conditions|red 0%",
                                                    "paint Other Caption|Re-Assembling. Please Wait...|red 0%"}));
}

TEST_F(WindowTest, NothingIsDrawnBeforeTheWindowIsShownOrAfterItCloses) {
  // A window as start-up creates it: hidden while its creation handler lets the message loop
  // run.
  TForm2 form;
  RecordingView view;
  form.AttachView(&view);
  form.Repaint();
  form.Optimise_Gauge.SetMaxValue(5);
  EXPECT_TRUE(view.events.empty());
  form.Show();
  EXPECT_TRUE(view.events.empty());  // the first paint waits for the message loop
  form.Repaint();
  form.Close();
  form.Close();
  form.Repaint();
  form.Optimise_Gauge.SetMaxValue(7);
  EXPECT_EQ(view.events, (std::vector<std::string>{"paint Velkar Optimiser|Loading File|black 0%", "closed"}));
  EXPECT_TRUE(form.IsClosed());
  // The application's message loop repaints the one window, Form2, in the same way.
  Application.ProcessMessages();
  Form2.Close();
  Application.ProcessMessages();
  EXPECT_EQ(view_.events, (std::vector<std::string>{"paint Velkar Optimiser|Loading File|black 0%", "closed"}));
}

// Moves the gauge the way the two long passes do: the maximum at the start, the progress at
// every multiple of 40 lines and, at the end, the full count.
void DrivePassOver(int lines) {
  Form2.Optimise_Gauge.SetMaxValue(lines);
  for (int lineIndex = 1; lineIndex <= lines; ++lineIndex)
    if (lineIndex % 40 == 0) Form2.Optimise_Gauge.SetProgress(lineIndex);
  Form2.Optimise_Gauge.SetProgress(lines);
}

TEST_F(WindowTest, PassesMoveTheGaugeEveryFortyLinesAndFillItAtTheEnd) {
  struct Case {
    std::vector<int> passes;  // kept lines of each pass, in run order
    std::vector<std::string> redraws;
  } cases[] = {
      {{39}, {"0%", "100%"}},
      {{1}, {"0%", "100%"}},
      {{40}, {"0%", "100%"}},
      {{100}, {"0%", "40%", "80%", "100%"}},
      {{0}, {"0%"}},
      // The next pass starts from the progress the last one left: the carried 100 lines are
      // 40 % of 250, and the whole of a shorter listing.
      {{100, 250}, {"0%", "40%", "80%", "100%", "40%", "16%", "32%", "48%", "64%", "80%", "96%", "100%"}},
      {{100, 30}, {"0%", "40%", "80%", "100%", "100%"}},
  };
  for (const Case& c : cases) {
    Form2.Reset();
    RecordingView view;
    Form2.AttachView(&view);
    std::string name;
    for (int lines : c.passes) {
      DrivePassOver(lines);
      name += std::to_string(lines) + " lines; ";
    }
    EXPECT_EQ(view.GaugeRedraws(), c.redraws) << name;
  }
}

}  // namespace
