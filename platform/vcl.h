#pragma once
// Stand-ins for the few VCL objects the program uses: the application object, the progress
// window Form2 with its label and gauge. They hold state only; how the window is shown is
// the business of a TWindowView attached to it.
#include <cstdint>
#include <string>

class TForm2;

// Draws the window somewhere. Paint shows the whole window as it now stands (called where
// the window may repaint); GaugeChanged redraws the gauge alone, at once.
class TWindowView {
 public:
  virtual ~TWindowView() = default;
  virtual void Paint(const TForm2& form) = 0;
  virtual void GaugeChanged(const TForm2& form) = 0;
  virtual void Closed(const TForm2& form) = 0;
};

constexpr std::uint32_t clBlack = 0x000000;
constexpr std::uint32_t clRed = 0x0000FF;  // VCL colours are 0x00BBGGRR: RGB 255, 0, 0

struct TLabel {
  std::string Caption;
  std::uint32_t FontColor = clBlack;
};

// The progress bar: progress held between 0 and the maximum, shown as a whole-number percentage.
class TCGauge {
 public:
  explicit TCGauge(TForm2& owner) : owner_(&owner) {}
  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  int Progress() const { return progress_; }
  bool Enabled() const { return enabled_; }
  int PercentDone() const;

  void SetMaxValue(int value);
  void SetProgress(int value);
  void SetEnabled(bool value) { enabled_ = value; }

 private:
  TForm2* owner_;
  int min_ = 0;
  int max_ = 100;
  int progress_ = 0;
  bool enabled_ = true;
};

class TForm2 {
 public:
  TForm2();
  std::string Caption = "Velkar Optimiser";
  TLabel MessageLabel;
  TCGauge Optimise_Gauge;

  void Close();
  void Repaint();
  void SetFocus() {}
  bool IsClosed() const { return closed_; }
  void AttachView(TWindowView* view) { view_ = view; }
  TWindowView* View() const { return view_; }
  // Back to the state the form description gives (tests run many cases in one process).
  void Reset();

 private:
  TWindowView* view_ = nullptr;
  bool closed_ = false;
};

class TApplication {
 public:
  std::string Title;
  // Lets the message loop process pending messages: the window repaints.
  void ProcessMessages();
  void Restore() {}
  // Full path of the running executable (symlinks resolved).
  std::string ExeName() const;
};

extern TForm2 Form2;
extern TApplication Application;
