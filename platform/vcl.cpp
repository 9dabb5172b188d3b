#include "platform/vcl.h"

#include <unistd.h>

#include <climits>
#include <vector>

TForm2 Form2;
TApplication Application;

TCGauge::TCGauge(TForm2& owner, const GaugeDescription& description)
    : owner_(&owner),
      min_(description.MinValue),
      max_(description.MaxValue),
      progress_(description.Progress),
      enabled_(description.Enabled) {}

int TCGauge::PercentDone() const {
  const long long span = static_cast<long long>(max_) - min_;
  if (span <= 0) return 0;
  return static_cast<int>((static_cast<long long>(progress_) - min_) * 100 / span);
}

void TCGauge::SetMaxValue(int value) {
  max_ = value < min_ ? min_ : value;
  if (progress_ > max_) progress_ = max_;
  owner_->RedrawGauge();
}

void TCGauge::SetProgress(int value) {
  const int before = PercentDone();
  progress_ = value < min_ ? min_ : (value > max_ ? max_ : value);
  if (PercentDone() != before) owner_->RedrawGauge();
}

TForm2::TForm2(const FormDescription& description)
    : Caption(description.Caption),
      MessageLabel{description.MessageLabel.Caption, description.MessageLabel.Font.Color},
      Optimise_Gauge(*this, description.Optimise_Gauge) {}

void TForm2::Close() {
  if (closed_) return;
  closed_ = true;
  if (view_ != nullptr) view_->Closed(*this);
}

void TForm2::Repaint() {
  if (OnScreen()) view_->Paint(*this);
}

void TForm2::RedrawGauge() {
  if (OnScreen()) view_->GaugeChanged(*this);
}

void TForm2::Reset() {
  const FormDescription& description = Form2Description();
  Caption = description.Caption;
  MessageLabel = TLabel{description.MessageLabel.Caption, description.MessageLabel.Font.Color};
  Optimise_Gauge = TCGauge(*this, description.Optimise_Gauge);
  view_ = nullptr;
  visible_ = true;
  closed_ = false;
}

// All work runs on the message loop's thread, so the only pending message that matters here
// is the window's own repaint.
void TApplication::ProcessMessages() { Form2.Repaint(); }

std::string TApplication::ExeName() const {
  std::vector<char> path(PATH_MAX + 1);
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), PATH_MAX);
  if (n <= 0) return std::string();
  return std::string(path.data(), static_cast<std::size_t>(n));
}
