#include "platform/vcl.h"

#include <unistd.h>

#include <climits>
#include <vector>

TForm2 Form2;
TApplication Application;

int TCGauge::PercentDone() const {
  const long long span = static_cast<long long>(max_) - min_;
  if (span <= 0) return 0;
  return static_cast<int>((static_cast<long long>(progress_) - min_) * 100 / span);
}

void TCGauge::SetMaxValue(int value) {
  max_ = value < min_ ? min_ : value;
  if (progress_ > max_) progress_ = max_;
  if (owner_->View() != nullptr) owner_->View()->GaugeChanged(*owner_);
}

void TCGauge::SetProgress(int value) {
  const int before = PercentDone();
  progress_ = value < min_ ? min_ : (value > max_ ? max_ : value);
  if (PercentDone() != before && owner_->View() != nullptr) owner_->View()->GaugeChanged(*owner_);
}

TForm2::TForm2() : Optimise_Gauge(*this) { MessageLabel.Caption = "Loading File"; }

void TForm2::Close() {
  if (closed_) return;
  closed_ = true;
  if (view_ != nullptr) view_->Closed(*this);
}

void TForm2::Repaint() {
  if (view_ != nullptr && !closed_) view_->Paint(*this);
}

void TForm2::Reset() {
  Caption = "Velkar Optimiser";
  MessageLabel = TLabel{};
  MessageLabel.Caption = "Loading File";
  Optimise_Gauge = TCGauge(*this);
  view_ = nullptr;
  closed_ = false;
}

void TApplication::ProcessMessages() { Form2.Repaint(); }

std::string TApplication::ExeName() const {
  std::vector<char> path(PATH_MAX + 1);
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), PATH_MAX);
  if (n <= 0) return std::string();
  return std::string(path.data(), static_cast<std::size_t>(n));
}
