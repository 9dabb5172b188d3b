#include "platform/terminal_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/status_line.h"

namespace {

constexpr const char* InvalidEntryPoint = "Invalid Entry Point";
constexpr int FallbackColumns = 80;

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

int TerminalColumns(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return FallbackColumns;
}

class TerminalView : public TWindowView {
 public:
  TerminalView(int fd, const TerminalSettings& settings) : fd_(fd), settings_(settings) {
    painted_.GaugeFill = Form2Description().Optimise_Gauge.ForeColor;
  }
  ~TerminalView() override { EndLine(); }

  void Paint(const TForm2& form) override {
    painted_.Caption = form.Caption;
    painted_.Label = form.MessageLabel.Caption;
    painted_.LabelColor = form.MessageLabel.FontColor;
    Draw(form.Optimise_Gauge);
  }

  // Only the gauge is new: caption and label stay as the window last painted them.
  void GaugeChanged(const TForm2& form) override { Draw(form.Optimise_Gauge); }

  void Closed(const TForm2& form) override {
    if (settings_.isTerminal) EndLine();
    else if (form.MessageLabel.Caption == InvalidEntryPoint) WriteAll(fd_, std::string(InvalidEntryPoint) + "\n");
  }

 private:
  void Draw(const TCGauge& gauge) {
    if (!settings_.isTerminal) return;
    painted_.GaugeMin = gauge.MinValue();
    painted_.GaugeMax = gauge.MaxValue();
    painted_.GaugeProgress = gauge.Progress();
    painted_.GaugePercent = gauge.PercentDone();
    painted_.GaugeEnabled = gauge.Enabled();
    const int columns = settings_.columns > 0 ? settings_.columns : TerminalColumns(fd_);
    const FormattedLine line = FormatStatusLine(painted_, columns, settings_.colour);
    // The condition pass repaints after every line it reads; a line already on screen is
    // not written again.
    if (lineOpen_ && line.Text == shown_.Text) return;
    std::string out = "\r" + line.Text;
    // Blanks over whatever a longer earlier line left; no escape sequence needed for it.
    if (lineOpen_ && shown_.Width > line.Width) out += std::string(static_cast<std::size_t>(shown_.Width - line.Width), ' ');
    WriteAll(fd_, out);
    shown_ = line;
    lineOpen_ = true;
  }

  void EndLine() {
    if (!lineOpen_) return;
    WriteAll(fd_, "\n");
    lineOpen_ = false;
  }

  int fd_;
  TerminalSettings settings_;
  StatusLineContent painted_;
  FormattedLine shown_;
  bool lineOpen_ = false;
};

}  // namespace

TerminalSettings SettingsFor(bool isTerminal, const char* noColor, const char* term) {
  TerminalSettings settings;
  settings.isTerminal = isTerminal;
  const bool colourRefused = noColor != nullptr && noColor[0] != '\0';
  const bool dumb = term != nullptr && std::strcmp(term, "dumb") == 0;
  settings.colour = isTerminal && !colourRefused && !dumb;
  return settings;
}

TerminalSettings StandardErrorSettings() {
  return SettingsFor(::isatty(STDERR_FILENO) == 1, std::getenv("NO_COLOR"), std::getenv("TERM"));
}

std::unique_ptr<TWindowView> MakeTerminalView(int fd, const TerminalSettings& settings) {
  return std::make_unique<TerminalView>(fd, settings);
}

std::unique_ptr<TWindowView> MakeStandardErrorView() { return MakeTerminalView(STDERR_FILENO, StandardErrorSettings()); }
