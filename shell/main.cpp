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
    auto view = MakeStandardErrorView();
    Form2.AttachView(view.get());
    FormCreate(std::vector<std::string>(argv + 1, argv + argc));
    FormActivate();
    FormClose();
    Form2.AttachView(nullptr);
    switch (LastRunOutcome) {
      case RunOutcome::Completed: return 0;
      case RunOutcome::InvalidEntryPoint: return 2;
      default: return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  } catch (...) {
    std::fputs("\n", stderr);
  }
  return 1;
}
