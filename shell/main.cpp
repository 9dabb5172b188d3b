// velkar-optimiser: rewrites a PIC18 program's assembler source from its listing with the
// shortest calls, jumps and branches, then assembles it again.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/terminal_view.h"
#include "platform/vcl.h"
#include "shell/driver.h"
#include "shell/optimise_main.h"

int main(int argc, char** argv) {
  try {
    Application.Title = "Velkar Optimiser";
    // The view only draws; the run is the same whether standard error is a terminal or not.
    // It ends its line when destroyed, so an error text below starts on a line of its own.
    auto view = MakeStandardErrorView();
    Form2.AttachView(view.get());
    FormCreate(std::vector<std::string>(argv + 1, argv + argc));
    // Showing the window activates it; it first paints when the activation lets the message
    // loop run.
    Form2.Show();
    FormActivate();
    FormClose();
    Form2.AttachView(nullptr);
    switch (LastRunOutcome) {
      case RunOutcome::Completed: return 0;
      case RunOutcome::InvalidEntryPoint: return 2;
      default: return 1;
    }
  } catch (const std::exception& error) {
    Form2.AttachView(nullptr);
    std::fprintf(stderr, "%s\n", error.what());
  } catch (...) {
    Form2.AttachView(nullptr);
    std::fputs("\n", stderr);
  }
  return 1;
}
