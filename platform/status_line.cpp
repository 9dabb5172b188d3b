#include "platform/status_line.h"

#include <cstdio>
#include <vector>

namespace {

// The label field is as wide as the longest text the program puts in it
// ("Re-Assembling. Please Wait..."), so that the bar stays in place as the texts change.
constexpr std::size_t LabelField = 29;

struct Segment {
  std::string text;
  std::string sgr;  // empty: the terminal's own colours
};

int FilledCells(const StatusLineContent& content) {
  const long long span = static_cast<long long>(content.GaugeMax) - content.GaugeMin;
  if (span <= 0) return 0;
  return static_cast<int>((static_cast<long long>(content.GaugeProgress) - content.GaugeMin) * StatusBarCells / span);
}

std::string PercentText(int percent) {
  char text[16];
  std::snprintf(text, sizeof text, "%3d%%", percent);
  return text;
}

std::string PaddedLabel(const std::string& label) {
  return label.size() >= LabelField ? label : label + std::string(LabelField - label.size(), ' ');
}

std::vector<Segment> Segments(const StatusLineContent& content) {
  // A disabled control shows greyed; faint text is the terminal's grey.
  const std::string faint = content.GaugeEnabled ? "" : "2";
  const std::string fill = content.GaugeEnabled ? AnsiForeground(content.GaugeFill) : faint;
  const int filled = FilledCells(content);
  return {
      {content.Caption + "  ", ""},
      {content.Label, AnsiForeground(content.LabelColor)},
      {std::string(PaddedLabel(content.Label).size() - content.Label.size(), ' ') + "  ", ""},
      {"[", faint},
      {std::string(static_cast<std::size_t>(filled), '#'), fill},
      {std::string(static_cast<std::size_t>(StatusBarCells - filled), '.'), faint},
      {"] " + PercentText(content.GaugePercent), faint},
  };
}

}  // namespace

std::string AnsiForeground(TColor color) {
  if (IsSystemColor(color) || color == clBlack) return "";
  const int code = 30 + (RedOf(color) >= 128 ? 1 : 0) + (GreenOf(color) >= 128 ? 2 : 0) + (BlueOf(color) >= 128 ? 4 : 0);
  return code == 30 ? "" : std::to_string(code);
}

FormattedLine FormatStatusLine(const StatusLineContent& content, int columns, bool colour) {
  // Cut to the room first, then join neighbours of one style so that each style is switched
  // on and off once.
  std::vector<Segment> kept;
  std::size_t room = columns > 1 ? static_cast<std::size_t>(columns - 1) : 0;
  for (const Segment& segment : Segments(content)) {
    const std::string text = segment.text.substr(0, room);
    if (text.empty()) continue;
    room -= text.size();
    const std::string sgr = colour ? segment.sgr : std::string();
    if (!kept.empty() && kept.back().sgr == sgr) kept.back().text += text;
    else kept.push_back({text, sgr});
  }
  FormattedLine line;
  for (const Segment& segment : kept) {
    line.Width += static_cast<int>(segment.text.size());
    if (segment.sgr.empty()) line.Text += segment.text;
    else line.Text += "\x1b[" + segment.sgr + "m" + segment.text + "\x1b[0m";
  }
  return line;
}
