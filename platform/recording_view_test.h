#pragma once
// A window view for tests: writes down what the window would draw and when.
#include <string>
#include <vector>

#include "platform/vcl.h"

// Counts repaints and gauge redraws, for tests that only ask how often the window was drawn.
class CountingView : public TWindowView {
 public:
  void Paint(const TForm2&) override { ++paints; }
  void GaugeChanged(const TForm2&) override { ++gaugeRedraws; }
  void Closed(const TForm2&) override {}
  int paints = 0;
  int gaugeRedraws = 0;
};

class RecordingView : public TWindowView {
 public:
  // "paint CAPTION|LABEL|red 40%", "gauge 40%" (with " disabled" for a disabled gauge), "closed".
  std::vector<std::string> events;

  void Paint(const TForm2& form) override {
    events.push_back("paint " + form.Caption + "|" + form.MessageLabel.Caption +
                     (form.MessageLabel.FontColor == clRed ? "|red " : "|black ") + Gauge(form));
  }
  void GaugeChanged(const TForm2& form) override { events.push_back("gauge " + Gauge(form)); }
  void Closed(const TForm2&) override { events.push_back("closed"); }

  // The label texts in the order they were painted, each once per change.
  std::vector<std::string> PaintedLabels() const {
    std::vector<std::string> labels;
    for (const std::string& event : events) {
      if (event.rfind("paint ", 0) != 0) continue;
      const std::size_t start = event.find('|') + 1;
      const std::string label = event.substr(start, event.find('|', start) - start);
      if (labels.empty() || labels.back() != label) labels.push_back(label);
    }
    return labels;
  }

  std::vector<std::string> GaugeRedraws() const {
    std::vector<std::string> redraws;
    for (const std::string& event : events)
      if (event.rfind("gauge ", 0) == 0) redraws.push_back(event.substr(6));
    return redraws;
  }

 private:
  static std::string Gauge(const TForm2& form) {
    return std::to_string(form.Optimise_Gauge.PercentDone()) + "%" +
           (form.Optimise_Gauge.Enabled() ? "" : " disabled");
  }
};
