#include "shell/reassemble.h"

#include <cstdio>
#include <string>
#include <vector>

#include "listing/working_state.h"
#include "platform/process.h"
#include "platform/vcl.h"

namespace {

// The assembler's options as one argument each: error file, listing, no cross-reference,
// errors only, case-insensitive, macros expanded, quiet; the source comes last.
std::vector<std::string> AssemblerArguments() {
  return {"/e+", "/l+", "/x-", "/w2", "/c-", "/m+", "/q", SourceFileName};
}

// Brings the progress window back after the wait, in which it was neither painted nor
// responding.
void BringWindowBack() {
  Application.Restore();
  Form2.Repaint();
  Form2.SetFocus();
}

}  // namespace

bool Reassemble() {
  try {
    Form2.MessageLabel.Caption = "Re-Assembling. Please Wait...";
    const std::string executable = AssemblerDir + "MpasmWin";
    const ProcessResult result = RunProcess(executable, AssemblerArguments());
    // What a desktop shell would show in its own message box when it cannot start a program.
    if (result.ending == ProcessResult::Ending::NotStarted)
      std::fprintf(stderr, "%s\n", DescribeEnding(executable, result).c_str());
    BringWindowBack();
    Application.ProcessMessages();
    return result.Succeeded();
  } catch (...) {
    return false;
  }
}
