// Times the readers of the listing and the symbol lookups on a generated listing of 200,000
// lines with 20,000 symbols, the size of a large program: reading must dominate, not lookups.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "listing/listing_reader.h"
#include "listing/listing_tidy.h"
#include "listing/symbol_table.h"
#include "listing/working_state.h"

namespace {

constexpr int TotalLines = 200000;
constexpr int SymbolCount = 20000;
constexpr int LookupCount = 50000;
constexpr int ScanLookupCount = 500;
constexpr int LinesPerPage = 60;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string SymbolName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "L%06d", i);
  return name;
}

// A listing as the assembler lays it out: pages of code lines with a banner and a column
// heading, then the symbol table and the memory map.
std::string GenerateListing() {
  std::string text;
  text.reserve(static_cast<std::size_t>(TotalLines) * 70);
  const int tableLines = 2 + SymbolCount + 1;  // start, heading, symbols, memory map
  char line[160];
  int written = 0;
  for (int i = 0; written < TotalLines - tableLines; ++i, ++written) {
    if (i % LinesPerPage == 0 && written + 3 < TotalLines - tableLines) {
      text += "\fMPASM  5.22                      PROG.S   1-1-2026  10:00:00         PAGE  1\n";
      text += "\n";
      text += "LOC  OBJECT CODE     LINE SOURCE TEXT\n";
      written += 3;
    }
    const int address = i * 2;
    if (i % 50 == 0)
      std::snprintf(line, sizeof line, "%06X 0000           %05d         NOP;@USE@_CALL %s\n", address, i % 100000,
                    SymbolName((i * 7) % SymbolCount).c_str());
    else
      std::snprintf(line, sizeof line, "%06X 0E05           %05d         movlw   5       ; load the count\n", address,
                    i % 100000);
    text += line;
  }
  text += "SYMBOL TABLE\n";
  text += "  LABEL                             VALUE \n";
  for (int s = 0; s < SymbolCount; ++s) {
    std::snprintf(line, sizeof line, "%-34s%08X\n", SymbolName(s).c_str(), s * 4);
    text += line;
  }
  text += "MEMORY USAGE MAP ('X' = Used,  '-' = Unused)\n";
  return text;
}

template <typename Step>
double BestOfThree(Step step) {
  double best = 1e300;
  for (int run = 0; run < 3; ++run) {
    const Clock::time_point start = Clock::now();
    step();
    const double ms = MillisecondsSince(start);
    if (ms < best) best = ms;
  }
  return best;
}

}  // namespace

int main() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velkar-bench-XXXXXX").string();
  std::vector<char> folder(pattern.begin(), pattern.end());
  folder.push_back('\0');
  if (::mkdtemp(folder.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string listing = GenerateListing();
  ListingFileName = std::string(folder.data()) + "/prog.lst";
  std::ofstream(ListingFileName, std::ios::binary) << listing;
  std::printf("listing: %d lines, %d symbols, %zu bytes\n", TotalLines, SymbolCount, listing.size());

  bool ok = true;
  const double symbolMs = BestOfThree([&] { ok = ReadSymbolTable() && ok; });
  std::printf("ReadSymbolTable: %8.2f ms  (%zu entries)\n", symbolMs, SymbolList.Count());
  const double listingMs = BestOfThree([&] { ok = ReadListing() && ok; });
  std::printf("ReadListing:     %8.2f ms  (%u lines kept)\n", listingMs, LineCount);

  // Names as the passes ask for them: nine in ten are in the table.
  std::vector<std::string> names;
  names.reserve(LookupCount);
  for (int i = 0; i < LookupCount; ++i)
    names.push_back(i % 10 == 9 ? "MISSING" + std::to_string(i) : SymbolName((i * 7919) % SymbolCount));

  long long checksum = 0;
  Clock::time_point start = Clock::now();
  for (const std::string& name : names) checksum += LookupSymbol(name.c_str());
  const double lookupMs = MillisecondsSince(start);
  std::printf("LookupSymbol:    %8.2f ms  for %d lookups (%.3f us each)\n", lookupMs, LookupCount,
              lookupMs * 1000.0 / LookupCount);

  // The plain scan from entry 0 that the index stands in for, on the first few hundred names.
  long long indexedSum = 0, scannedSum = 0;
  start = Clock::now();
  for (int i = 0; i < ScanLookupCount; ++i) indexedSum += LookupSymbol(names[i].c_str());
  const double indexedMs = MillisecondsSince(start);
  start = Clock::now();
  for (int i = 0; i < ScanLookupCount; ++i) scannedSum += ScanSymbolList(names[i]);
  const double scannedMs = MillisecondsSince(start);
  std::printf("%d lookups: index %.3f ms, linear scan %.2f ms (%.0fx); same answers: %s\n", ScanLookupCount,
              indexedMs, scannedMs, scannedMs / (indexedMs > 0 ? indexedMs : 1e-9),
              indexedSum == scannedSum ? "yes" : "NO");
  std::printf("linear scan extrapolated to %d lookups: %.0f ms\n", LookupCount,
              scannedMs * LookupCount / ScanLookupCount);

  start = Clock::now();
  ok = TidyListing() && ok;
  std::printf("TidyListing:     %8.2f ms\n", MillisecondsSince(start));
  std::printf("checksum %lld\n", checksum);

  std::error_code ignored;
  std::filesystem::remove_all(folder.data(), ignored);
  if (!ok || indexedSum != scannedSum) {
    std::fprintf(stderr, "a reader failed or the index disagreed with the scan\n");
    return 1;
  }
  return 0;
}
