#pragma once
// The driver: checks the listing path when the window is first activated, runs the readers,
// passes and assemblies in the order the optimisation level asks for, and closes the window.
#include <functional>

// The steps of a run. Tests replace some of them; RealSteps() gives the program's own.
struct OptimiserSteps {
  std::function<bool()> ReadSymbolTable;
  std::function<bool()> ReadListing;
  std::function<bool()> ShortenCallsAndJumps;
  std::function<bool()> RemoveBankSelects;
  std::function<bool()> Reassemble;
  std::function<bool()> TightenConditions;
  std::function<bool()> TidyListing;
};
OptimiserSteps RealSteps();
extern OptimiserSteps Steps;

// How the last activation ended; the process exit status is taken from it.
enum class RunOutcome { NotRun, Completed, Failed, InvalidEntryPoint };
extern RunOutcome LastRunOutcome;

// The window's activation handler: runs once, however often the window is activated.
void FormActivate();
bool RunOptimiser();

// Attaches FormActivate to the window again and restores the real steps (for tests).
void ResetDriver();
