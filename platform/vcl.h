#pragma once
// Stand-ins for the few VCL objects the program uses: the application object and the progress
// window Form2 with its label and gauge. They hold the window's state only; how the window
// shows is the business of a TWindowView attached to it.
#include <string>

#include "platform/form_description.h"

class TForm2;

// Draws the window somewhere. The window calls it only while it is shown and not closed.
class TWindowView {
 public:
  virtual ~TWindowView() = default;
  // The window repaints: caption, label and gauge show as they now stand.
  virtual void Paint(const TForm2& form) = 0;
  // The gauge redraws itself at once; the rest of the window keeps what it last painted.
  virtual void GaugeChanged(const TForm2& form) = 0;
  // The window has closed; nothing more is drawn.
  virtual void Closed(const TForm2& form) = 0;
};

struct TLabel {
  std::string Caption;
  TColor FontColor = clBlack;
};

// The samples gauge: progress held between the minimum and the maximum, shown as a bar and
// the whole-number percentage. Unlike the label, it redraws itself without waiting for the
// message loop: when its maximum is set, and when a new progress changes the percentage.
class TCGauge {
 public:
  TCGauge(TForm2& owner, const GaugeDescription& description);
  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  int Progress() const { return progress_; }
  bool Enabled() const { return enabled_; }
  // Whole-number percentage, rounded down; 0 while the maximum equals the minimum.
  int PercentDone() const;

  void SetMaxValue(int value);
  void SetProgress(int value);
  // A disabled gauge shows so when the window next repaints.
  void SetEnabled(bool value) { enabled_ = value; }

 private:
  TForm2* owner_;
  int min_;
  int max_;
  int progress_;
  bool enabled_;
};

class TForm2 {
 public:
  explicit TForm2(const FormDescription& description = Form2Description());
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  // Texts and colours take effect on screen only when the window next repaints.
  std::string Caption;
  TLabel MessageLabel;
  TCGauge Optimise_Gauge;

  // Makes the window visible. It paints first when the message loop next runs.
  void Show() { visible_ = true; }
  void Close();
  // Paints the window at once (after each assembly, and whenever the message loop runs).
  void Repaint();
  void SetFocus() {}
  bool Visible() const { return visible_; }
  bool IsClosed() const { return closed_; }
  void AttachView(TWindowView* view) { view_ = view; }
  TWindowView* View() const { return view_; }
  // Back to the state the form description gives, without a view, and shown as it is while a
  // run goes on (tests run many cases in one process, most of them as parts of a run).
  void Reset();

 private:
  friend class TCGauge;
  bool OnScreen() const { return visible_ && !closed_ && view_ != nullptr; }
  void RedrawGauge();

  TWindowView* view_ = nullptr;
  bool visible_ = false;
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
