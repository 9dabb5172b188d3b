// Time of the call and jump shortening pass on generated listings of up to 200,000 lines,
// and of the reach check on its own where every lengthening pushes the next form out.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "listing/symbol_table.h"
#include "listing/working_state.h"
#include "passes/reach_check.h"
#include "passes/shorten_calls_and_jumps.h"

namespace {

constexpr int LinesPerLabel = 200;

std::string ListingLine(std::int32_t address, const std::string& source) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%06X 0000 %17s", static_cast<unsigned>(address), "");
  return std::string(prefix, 28) + source;
}

std::string Label(int k) { return "L" + std::to_string(k); }

struct Generated {
  int placeholders = 0;
  std::vector<std::string> labelsLookedUp;
};

// One line per word; a label every 200 lines; a placeholder on every other line, of every
// kind, to labels near (a few hundred bytes), far (beyond 1024 bytes) and missing.
Generated GenerateListing(int lines) {
  Generated generated;
  ListingLines.Clear();
  SymbolList.Clear();
  SymbolList.Add("");
  const int labels = lines / LinesPerLabel + 1;
  for (int i = 0; i < lines; ++i) {
    const std::int32_t address = 2 * i;
    const int k = i / LinesPerLabel;
    std::string source;
    if (i % LinesPerLabel == 0) {
      SymbolList.Add(Label(k) + "," + std::to_string(address));
      source = Label(k) + "  CLRF COUNTER,0";
    } else if (i % 2 == 1) {
      const int near = (k + 1) % labels;
      const int far = (k + 7) % labels;
      std::string target;
      switch (i % 16) {
        case 1:
          source = "    NOP;@USE@_CALL " + (target = Label(far));
          break;
        case 3:
          source = "    NOP;@USE@_GOTO " + (target = Label(near));
          break;
        case 5:
          source = "    NOP;@USE@_TGOTO 1,STATUS,2," + (target = Label(near)) + ",0";
          break;
        case 7:
          source = "    NOP;@USE@_TGOTO 0,PORTB,3," + (target = Label(far)) + ",0";
          break;
        case 9:
          source = "    NOP;[BZ@] " + Label(near);
          break;
        case 11:
          source = "    NOP;@USE@_CALL " + (target = "MISSING");
          break;
        case 13:
          source = "    NOP;@USE@_TGOTO 1,FLAGS,0," + (target = Label(near));
          break;
        default:
          source = "    MOVF COUNTER,W,0 ; a comment";
          break;
      }
      if (source.find("NOP;") != std::string::npos) ++generated.placeholders;
      if (!target.empty()) generated.labelsLookedUp.push_back(target);
    } else {
      source = "    MOVLW 0x" + std::to_string(i % 100);
    }
    ListingLines.Add(ListingLine(address, source));
  }
  LineCount = static_cast<std::uint32_t>(lines);
  return generated;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Bit tests written as skip + BRA every other word, 820 bytes before their labels, with a grown
// bit test (skip + GOTO) in each word between: each BRA ends exactly 2048 bytes from its label,
// at the edge of its reach (past the last test, CALLs and skip + GOTOs keep the same growth).
// The last test's label is far off; its lengthening pushes every test before it out in turn.
std::vector<PlacedForm> Chain(int branches) {
  constexpr std::int32_t Span = 820;
  std::vector<PlacedForm> forms;
  for (int b = 0; b < branches; ++b) {
    const std::int32_t at = 4 * b;
    const std::int32_t label = at + Span + (b == branches - 1 ? 200 : 0);
    forms.push_back({at, label, PlaceholderForm::SkipAndBra, false});
    forms.push_back({at + 2, -1, PlaceholderForm::SkipAndGoto, true});
  }
  for (std::int32_t at = 4 * branches; at < 4 * branches + Span; at += 4) {
    forms.push_back({at, -1, PlaceholderForm::LongCall, true});
    forms.push_back({at + 2, -1, PlaceholderForm::SkipAndGoto, true});
  }
  return forms;
}

}  // namespace

int main() {
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("velkar-bench-" + std::to_string(::getpid()))).string();
  std::filesystem::create_directories(folder);
  SourceFileName = folder + "/PROG.S";
  OptimiseLevel = 2;

  std::printf("%-10s %-13s %-9s %-26s %-20s\n", "lines", "placeholders", "symbols", "ShortenCallsAndJumps (ms)",
              "lookups alone (ms)");
  for (int lines : {50000, 100000, 200000}) {
    const Generated generated = GenerateListing(lines);
    auto start = std::chrono::steady_clock::now();
    const bool ok = ShortenCallsAndJumps();
    const double pass = MillisecondsSince(start);
    start = std::chrono::steady_clock::now();
    std::int64_t sink = 0;
    for (const std::string& label : generated.labelsLookedUp) sink += LookupSymbol(label.c_str());
    const double lookups = MillisecondsSince(start);
    std::printf("%-10d %-13d %-9zu %-26.1f %-20.1f%s\n", lines, generated.placeholders, SymbolList.Count() - 1, pass,
                lookups, ok && sink != 0 ? "" : "  (pass failed)");
  }

  std::printf("\n%-10s %-14s %-16s\n", "branches", "lengthened", "reach check (ms)");
  for (int branches : {1000, 10000, 50000}) {
    std::vector<PlacedForm> forms = Chain(branches);
    const auto start = std::chrono::steady_clock::now();
    const std::size_t lengthened = LengthenFormsOutOfReach(forms);
    std::printf("%-10d %-14zu %-16.1f\n", branches, lengthened, MillisecondsSince(start));
  }
  std::filesystem::remove_all(folder);
  return 0;
}
