#include "shell/driver.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "listing/working_state.h"
#include "platform/vcl.h"

namespace {

// Step results to give, by "name#call" (second-stage calls are #2); missing ones succeed.
// "throw" as a result raises an exception inside the step.
std::map<std::string, std::string> results;
std::string calls;

std::function<bool()> Fake(const std::string& name) {
  return [name] {
    int n = 1;
    for (std::size_t pos = 0; (pos = calls.find(name, pos)) != std::string::npos; pos += name.size()) ++n;
    calls += calls.empty() ? "" : " ";
    calls += name;
    // The driver empties SymbolList before every assembly; a reader fills it.
    if (name == "Reassemble" && SymbolList.Count() != 0) calls += "(symbols left!)";
    if (name == "ReadSymbolTable") SymbolList.Add("X,1");
    const auto it = results.find(name + "#" + std::to_string(n));
    if (it == results.end()) return true;
    if (it->second == "throw") throw std::runtime_error("boom");
    return it->second == "true";
  };
}

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorkingState();
    ResetDriver();
    Form2.Reset();
    results.clear();
    calls.clear();
    Steps = {Fake("ReadSymbolTable"), Fake("ReadListing"), Fake("ShortenCallsAndJumps"), Fake("RemoveBankSelects"),
             Fake("Reassemble"),      Fake("TightenConditions"), Fake("TidyListing")};
    ListingFileName = "prog.LST";
  }
};

const std::string FirstStage = "ReadSymbolTable ReadListing ShortenCallsAndJumps RemoveBankSelects Reassemble";
const std::string SecondStageSteps = " ReadSymbolTable ReadListing TightenConditions Reassemble";

TEST_F(DriverTest, SequenceByLevel) {
  struct Case {
    int level;
    std::string calls;
    bool secondStage;
  } cases[] = {
      {0, FirstStage + " TidyListing", false},
      {1, FirstStage + " TidyListing", false},
      {2, FirstStage + " TidyListing", false},
      {3, FirstStage + SecondStageSteps + " TidyListing", true},
      {254, FirstStage + SecondStageSteps + " TidyListing", true},
      {255, "", false},
  };
  for (const Case& c : cases) {
    calls.clear();
    SymbolList.Clear();
    SecondStage = false;
    OptimiseLevel = static_cast<std::uint8_t>(c.level);
    EXPECT_TRUE(RunOptimiser()) << "level " << c.level;
    EXPECT_EQ(calls, c.calls) << "level " << c.level;
    EXPECT_EQ(SecondStage, c.secondStage) << "level " << c.level;
    EXPECT_EQ(SymbolList.Count(), 0u) << "level " << c.level;
  }
}

TEST_F(DriverTest, FailureRules) {
  const std::string tidy = " TidyListing";
  struct Case {
    int level;
    std::map<std::string, std::string> results;
    std::string calls;
    bool result;
  } cases[] = {
      {1, {{"ReadSymbolTable#1", "false"}}, "ReadSymbolTable", false},
      {1, {{"ReadListing#1", "false"}}, "ReadSymbolTable ReadListing", false},
      {1, {{"ShortenCallsAndJumps#1", "false"}}, "ReadSymbolTable ReadListing ShortenCallsAndJumps", false},
      // The bank-select pass's result is not looked at.
      {1, {{"RemoveBankSelects#1", "false"}}, FirstStage + tidy, true},
      {1, {{"Reassemble#1", "false"}}, FirstStage, false},
      {1, {{"TidyListing#1", "false"}}, FirstStage + tidy, false},
      {3, {{"ReadSymbolTable#2", "false"}}, FirstStage + " ReadSymbolTable", false},
      // A second listing that cannot be read still gets tidied; the tidy-up decides.
      {3, {{"ReadListing#2", "false"}}, FirstStage + " ReadSymbolTable ReadListing" + tidy, true},
      {3, {{"ReadListing#2", "false"}, {"TidyListing#1", "false"}}, FirstStage + " ReadSymbolTable ReadListing" + tidy,
       false},
      {3, {{"TightenConditions#1", "false"}}, FirstStage + " ReadSymbolTable ReadListing TightenConditions", false},
      {3, {{"Reassemble#2", "false"}}, FirstStage + SecondStageSteps, false},
      {3, {{"TidyListing#1", "false"}}, FirstStage + SecondStageSteps + tidy, false},
      // An exception anywhere counts as false.
      {1, {{"ShortenCallsAndJumps#1", "throw"}}, "ReadSymbolTable ReadListing ShortenCallsAndJumps", false},
      {1, {{"RemoveBankSelects#1", "throw"}}, FirstStage.substr(0, FirstStage.rfind(' ')), false},
      {3, {{"TightenConditions#1", "throw"}}, FirstStage + " ReadSymbolTable ReadListing TightenConditions", false},
      {3, {{"TidyListing#1", "throw"}}, FirstStage + SecondStageSteps + tidy, false},
  };
  int row = 0;
  for (const Case& c : cases) {
    ++row;
    calls.clear();
    SymbolList.Clear();
    results = c.results;
    OptimiseLevel = static_cast<std::uint8_t>(c.level);
    EXPECT_EQ(RunOptimiser(), c.result) << "row " << row;
    EXPECT_EQ(calls, c.calls) << "row " << row;
    EXPECT_EQ(SymbolList.Count(), 0u) << "row " << row;
  }
}

TEST_F(DriverTest, RunSetsTheMessageAndLevel255LeavesItAlone) {
  OptimiseLevel = 255;
  RunOptimiser();
  EXPECT_EQ(Form2.MessageLabel.Caption, "Loading File");
  OptimiseLevel = 1;
  RunOptimiser();
  EXPECT_EQ(Form2.MessageLabel.Caption, "Optimising. Please Wait...");
}

TEST_F(DriverTest, ActivationChecksThePathThenRunsOnceAndCloses) {
  struct Case {
    std::string listing;
    RunOutcome outcome;
    bool gaugeEnabled;
  } cases[] = {
      {"prog.LST", RunOutcome::Completed, true},
      {"dir/prog.lst", RunOutcome::Completed, true},
      {"", RunOutcome::InvalidEntryPoint, false},
      {"prog", RunOutcome::InvalidEntryPoint, true},
      {"prog.LS", RunOutcome::InvalidEntryPoint, true},
      {"prog.LSTX", RunOutcome::InvalidEntryPoint, true},
      {"prog.txt", RunOutcome::InvalidEntryPoint, true},
      {"my.LST/prog", RunOutcome::InvalidEntryPoint, true},
  };
  for (const Case& c : cases) {
    ResetDriver();
    Form2.Reset();
    Steps = {Fake("ReadSymbolTable"), Fake("ReadListing"), Fake("ShortenCallsAndJumps"), Fake("RemoveBankSelects"),
             Fake("Reassemble"),      Fake("TightenConditions"), Fake("TidyListing")};
    calls.clear();
    ListingFileName = c.listing;
    FormActivate();
    EXPECT_EQ(LastRunOutcome, c.outcome) << c.listing;
    EXPECT_TRUE(Form2.IsClosed()) << c.listing;
    EXPECT_EQ(Form2.Caption, "Velkar Optimiser");
    EXPECT_EQ(Form2.Optimise_Gauge.Enabled(), c.gaugeEnabled) << c.listing;
    const bool invalid = c.outcome == RunOutcome::InvalidEntryPoint;
    EXPECT_EQ(Form2.MessageLabel.Caption, invalid ? "Invalid Entry Point" : "Optimising. Please Wait...") << c.listing;
    EXPECT_EQ(Form2.MessageLabel.FontColor, invalid ? clRed : clBlack) << c.listing;
    EXPECT_EQ(calls.empty(), invalid) << c.listing;
    // Later activations (the window comes back to the front after each assembly) do nothing.
    calls.clear();
    FormActivate();
    EXPECT_EQ(calls, "") << c.listing;
  }
}

TEST_F(DriverTest, FailedRunIsReportedAsFailed) {
  results = {{"Reassemble#1", "false"}};
  FormActivate();
  EXPECT_EQ(LastRunOutcome, RunOutcome::Failed);
  EXPECT_TRUE(Form2.IsClosed());
}

TEST_F(DriverTest, Level255WithValidPathCompletesWithoutSteps) {
  OptimiseLevel = 255;
  FormActivate();
  EXPECT_EQ(LastRunOutcome, RunOutcome::Completed);
  EXPECT_EQ(calls, "");
  EXPECT_EQ(Form2.MessageLabel.Caption, "Loading File");
}

}  // namespace
