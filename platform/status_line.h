#pragma once
// The progress window drawn as one line of text: caption, label text, and the gauge as a bar
// with its whole-number percentage. Formatting only; terminal_view writes it out.
#include <string>

#include "platform/form_description.h"

// What one drawing of the line shows.
struct StatusLineContent {
  std::string Caption;
  std::string Label;
  TColor LabelColor = clBlack;
  int GaugeMin = 0;
  int GaugeMax = 100;
  int GaugeProgress = 0;
  int GaugePercent = 0;
  bool GaugeEnabled = true;
  TColor GaugeFill = clLime;
};

struct FormattedLine {
  std::string Text;  // with ANSI colour sequences when colour is on
  int Width = 0;     // columns it takes on the terminal
};

// Cells in the bar; each stands for 5 %.
constexpr int StatusBarCells = 20;

// Formats the line to take at most `columns - 1` columns, so that the terminal never wraps it
// and a carriage return always gets back to its start.
FormattedLine FormatStatusLine(const StatusLineContent& content, int columns, bool colour);

// The ANSI foreground colour that stands for `color`, as the parameter text of an SGR
// sequence; empty for black and the system colours, which the terminal's own text colour
// shows best.
std::string AnsiForeground(TColor color);
