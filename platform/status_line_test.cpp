#include "platform/status_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

StatusLineContent Content(const std::string& label, TColor color, int progress, int max, bool enabled = true) {
  StatusLineContent content;
  content.Caption = "Velkar Optimiser";
  content.Label = label;
  content.LabelColor = color;
  content.GaugeMax = max;
  content.GaugeProgress = progress;
  content.GaugePercent = max > 0 ? static_cast<int>(static_cast<long long>(progress) * 100 / max) : 0;
  content.GaugeEnabled = enabled;
  return content;
}

TEST(StatusLine, ShowsCaptionLabelBarAndPercentage) {
  const std::string caption = "Velkar Optimiser  ";
  const std::string red = "\x1b[31m", green = "\x1b[32m", faint = "\x1b[2m", plain = "\x1b[0m";
  struct Case {
    const char* name;
    StatusLineContent content;
    int columns;
    bool colour;
    std::string text;
  } cases[] = {
      {"start", Content("Loading File", clBlack, 0, 100), 80, true,
       caption + "Loading File                   [....................]   0%"},
      {"bar in proportion, percentage rounded down", Content("Optimising. Please Wait...", clBlack, 2, 3), 80, false,
       caption + "Optimising. Please Wait...     [#############.......]  66%"},
      {"fill in the gauge's colour", Content("Tightening Conditions", clBlack, 40, 100), 80, true,
       caption + "Tightening Conditions          [" + green + "########" + plain + "............]  40%"},
      {"full", Content("Re-Assembling. Please Wait...", clBlack, 7, 7), 80, true,
       caption + "Re-Assembling. Please Wait...  [" + green + "####################" + plain + "] 100%"},
      {"error in red", Content("Invalid Entry Point", clRed, 0, 100), 80, true,
       caption + red + "Invalid Entry Point" + plain + "            [....................]   0%"},
      {"error without colour", Content("Invalid Entry Point", clRed, 0, 100), 80, false,
       caption + "Invalid Entry Point            [....................]   0%"},
      {"disabled gauge greyed", Content("Invalid Entry Point", clRed, 0, 100, false), 80, true,
       caption + red + "Invalid Entry Point" + plain + "            " + faint + "[....................]   0%" + plain},
      {"no maximum: empty bar", Content("Optimising. Please Wait...", clBlack, 0, 0), 80, false,
       caption + "Optimising. Please Wait...     [....................]   0%"},
      {"a longer label pushes the bar", Content("A label longer than the usual field", clBlack, 0, 100), 90, false,
       caption + "A label longer than the usual field  [....................]   0%"},
      // Cut one short of the width, so the terminal never wraps; a colour cut short is still ended.
      {"narrow terminal", Content("Invalid Entry Point", clRed, 0, 100), 30, true,
       caption + red + "Invalid Ent" + plain},
      {"no room at all", Content("Loading File", clBlack, 0, 100), 1, true, ""},
  };
  for (const Case& c : cases) {
    const FormattedLine line = FormatStatusLine(c.content, c.columns, c.colour);
    EXPECT_EQ(line.Text, c.text) << c.name;
    std::string visible;
    for (std::size_t i = 0; i < line.Text.size(); ++i) {
      if (line.Text[i] == '\x1b') i = line.Text.find('m', i);
      else visible += line.Text[i];
    }
    EXPECT_EQ(line.Width, static_cast<int>(visible.size())) << c.name;
    EXPECT_LT(line.Width, std::max(c.columns, 1)) << c.name;
  }
}

TEST(StatusLine, ColoursMapToTheNearestTerminalColour) {
  struct Case {
    TColor color;
    std::string sgr;
  } cases[] = {
      {clBlack, ""}, {clRed, "31"}, {clLime, "32"}, {clWhite, "37"}, {0x800000, "34"}, {0x000040, ""},
      {clBtnFace, ""}, {clWindowText, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(AnsiForeground(c.color), c.sgr) << std::hex << c.color;
}

}  // namespace
