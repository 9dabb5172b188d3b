#include "platform/terminal_view.h"

#include <cstdio>

namespace {

class StandardErrorView : public TWindowView {
 public:
  void Paint(const TForm2&) override {}
  void GaugeChanged(const TForm2&) override {}
  void Closed(const TForm2& form) override {
    if (form.MessageLabel.Caption == "Invalid Entry Point") std::fputs("Invalid Entry Point\n", stderr);
  }
};

}  // namespace

std::unique_ptr<TWindowView> MakeStandardErrorView() { return std::make_unique<StandardErrorView>(); }
