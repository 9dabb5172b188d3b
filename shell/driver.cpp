#include "shell/driver.h"

#include "listing/listing_reader.h"
#include "listing/listing_tidy.h"
#include "listing/symbol_table.h"
#include "listing/working_state.h"
#include "passes/remove_bank_selects.h"
#include "passes/shorten_calls_and_jumps.h"
#include "passes/tighten_conditions.h"
#include "platform/vcl.h"
#include "shell/optimise_main.h"
#include "shell/reassemble.h"

OptimiserSteps RealSteps() {
  return {::ReadSymbolTable, ::ReadListing, ::ShortenCallsAndJumps, ::RemoveBankSelects,
          ::Reassemble,      ::TightenConditions, ::TidyListing};
}

OptimiserSteps Steps = RealSteps();
RunOutcome LastRunOutcome = RunOutcome::NotRun;

namespace {

bool activationAttached = true;

void ShowInvalidEntryPoint() {
  Form2.MessageLabel.FontColor = clRed;
  Form2.MessageLabel.Caption = "Invalid Entry Point";
}

bool UpperExtensionIsLst(const std::string& path) {
  std::string extension = ExtensionOf(path);
  for (char& c : extension)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return extension == ".LST";
}

// The second stage: reads the new listing, tightens conditions, assembles a third time.
// Returns false when the run must end at once, without the tidy-up.
bool RunSecondStage() {
  LineIndex = 0;
  if (!Steps.ReadSymbolTable()) return false;
  // A listing that cannot be read again still gets tidied.
  if (!Steps.ReadListing()) return true;
  if (!Steps.TightenConditions()) return false;
  SymbolList.Clear();
  return Steps.Reassemble();
}

bool RunStages() {
  LineIndex = 0;
  if (!Steps.ReadSymbolTable()) return false;
  if (!Steps.ReadListing()) return false;
  if (!Steps.ShortenCallsAndJumps()) return false;
  Steps.RemoveBankSelects();  // its result does not stop the run
  SymbolList.Clear();
  if (!Steps.Reassemble()) return false;
  if (SecondStage && !RunSecondStage()) return false;
  return Steps.TidyListing();
}

}  // namespace

bool RunOptimiser() {
  if (OptimiseLevel == 255) return true;
  SecondStage = OptimiseLevel >= 3;
  Form2.MessageLabel.Caption = "Optimising. Please Wait...";
  Application.ProcessMessages();
  bool result = false;
  try {
    result = RunStages();
  } catch (...) {
    result = false;
  }
  SymbolList.Clear();
  return result;
}

void FormActivate() {
  if (!activationAttached) return;
  activationAttached = false;
  Form2.Caption = "Velkar Optimiser";
  Application.ProcessMessages();
  bool usable = true;
  if (ListingFileName.empty()) {
    ShowInvalidEntryPoint();
    Form2.Optimise_Gauge.SetEnabled(false);
    Application.ProcessMessages();
    usable = false;
  }
  if (!UpperExtensionIsLst(ListingFileName)) {
    ShowInvalidEntryPoint();
    Application.ProcessMessages();
    usable = false;
  }
  if (usable) LastRunOutcome = RunOptimiser() ? RunOutcome::Completed : RunOutcome::Failed;
  else LastRunOutcome = RunOutcome::InvalidEntryPoint;
  Form2.Close();
}

void ResetDriver() {
  activationAttached = true;
  Steps = RealSteps();
  LastRunOutcome = RunOutcome::NotRun;
}
