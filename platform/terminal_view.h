#pragma once
// How the progress window shows on Linux: one status line on standard error while it is a
// terminal; otherwise only the one line "Invalid Entry Point", which a build log must show.
#include <memory>

#include "platform/vcl.h"

struct TerminalSettings {
  bool isTerminal = false;  // draw the status line; otherwise only the error line
  bool colour = false;      // ANSI colours for the label, the bar and a disabled gauge
  int columns = 0;          // the terminal's width; 0: ask the terminal at each drawing
};

// Colour on a terminal unless NO_COLOR holds a non-empty value or TERM is "dumb" (either may
// be null: not set).
TerminalSettings SettingsFor(bool isTerminal, const char* noColor, const char* term);
// The settings for standard error, from isatty(2) and the environment.
TerminalSettings StandardErrorSettings();

// A view that draws on `fd`. It only writes to `fd`; it never reads, and a failed write is
// ignored, so the run goes the same whether or not anyone sees it.
std::unique_ptr<TWindowView> MakeTerminalView(int fd, const TerminalSettings& settings);

// The view for standard error.
std::unique_ptr<TWindowView> MakeStandardErrorView();
