// How long a whole optimiser run takes against one assembly by gpasm, and how much memory
// it needs, for compiler-style programs of two sizes.
//
// The optimiser runs at level 3 with an assembler that exits at once, so what is timed is
// its own work: reading the listing twice, writing the source twice, removing bank selects,
// tightening conditions and tidying the listing. Targets: under 5 % of one gpasm run, peak
// memory under three times the listing's size, and time growing linearly with the program.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 7;

struct Timed {
  double seconds = 0;
  long peakKiB = 0;
  int status = -1;
};

// fork/exec/wait4: the child's own peak resident size comes with its ending.
Timed RunTimed(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  std::vector<std::string> copy = argv;
  for (std::string& a : copy) args.push_back(a.data());
  args.push_back(nullptr);
  Timed timed;
  std::fflush(stdout);  // the child must not print what this process still holds
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) ::dup2(devNull, STDOUT_FILENO);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  timed.peakKiB = usage.ru_maxrss;
  timed.status = status;
  return timed;
}

// A program in the compiler's manner: blocks of code with every kind of placeholder, labels
// written as EQU $, bank selects that the next one overrides, and skip + BRA pairs on STATUS.
std::string GenerateProgram(int blocks) {
  std::ostringstream s;
  s << " LIST  P = 18F8722, R = DEC\n;[VARIABLE LISTING]\nSTATUS EQU 0xFD8\nV0 EQU 0x010\nV2 EQU 0x220\n"
       ";[END LISTING]\n    ORG 0\n";
  for (int k = 0; k < blocks; ++k) {
    const int far = (k * 7919) % blocks;
    s << ";\n; block " << k << "\n;\n"
      << "B" << k << " EQU $\n"
      << "    MOVLB 1\n    MOVLB 2\n"
      << "    MOVLW " << k % 256 << "\n    ADDWF V2,F,1\n"
      << "    NOP;@USE@_CALL B" << (k + 1) % blocks << "\n"
      << "    NOP;@USE@_CALL B" << far << "\n"
      << "    NOP;@USE@_TGOTO 0,STATUS,2,B" << k << "_L,0\n"
      << "    INCF V0,F,0\n"
      << "B" << k << "_L EQU $\n"
      << "    NOP;@USE@_TGOTO 1,V0,3,B" << far << ",0\n"
      << "    MOVLB 3\n    MOVLW 1\n    MOVLB 4\n"
      << "    BTFSC STATUS,0,0\n    BRA B" << k << "_E\n"
      << "    NOP;[BZ@] B" << k << "_E\n"
      << "    NOP;@USE@_GOTO B" << far << "_E\n";
    if (k % 50 == 0) s << ";[S@I@ASM]\n    MOVLB 5\n    MOVLB 6\n    NOP\n;[E@I@ASM]\n";
    s << "B" << k << "_E EQU $\n    RETURN 0\n";
  }
  s << "DONE BRA DONE\n    END\n";
  return s.str();
}

std::size_t CountLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'));
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string FindGpasm() {
  std::stringstream folders(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
  std::string folder;
  while (std::getline(folders, folder, ':'))
    if (::access((folder + "/gpasm").c_str(), X_OK) == 0) return folder + "/gpasm";
  return std::string();
}

struct SizeResult {
  std::size_t listingLines = 0;
  std::uintmax_t listingBytes = 0;
  double optimiser = 0;
  double gpasm = 0;
  long peakKiB = 0;
  long idleKiB = 0;
};

bool Measure(const std::string& work, int blocks, const std::string& gpasm, SizeResult& result) {
  const std::string binary = VELKAR_BINARY_DIR;
  fs::create_directories(work + "/fake");
  fs::create_directories(work + "/asm");
  // The assembler that exits at once is the system's own `true`, so that no shell start-up is
  // counted as the optimiser's work.
  fs::create_symlink("/bin/true", work + "/fake/MpasmWin");
  const std::string program = GenerateProgram(blocks);
  std::ofstream(work + "/pristine.S") << program;
  std::ofstream(work + "/prog.S") << program;
  const Timed first = RunTimed({binary + "/Includes/MpasmWin", "/e+", "/l+", "/x-", "/w2", "/c-", "/m+", "/q", work + "/prog.S"});
  if (first.status != 0) {
    std::fprintf(stderr, "the generated program did not assemble (status %d)\n", first.status);
    return false;
  }
  fs::copy_file(work + "/prog.LST", work + "/pristine.LST", fs::copy_options::overwrite_existing);
  result.listingLines = CountLines(work + "/pristine.LST");
  result.listingBytes = fs::file_size(work + "/pristine.LST");

  const std::vector<std::string> optimise = {binary + "/velkar-optimiser", "-l3", "-i" + work + "/fake", work + "/prog.LST"};
  const std::vector<std::string> assemble = {gpasm, "--mpasm-compatible", "-i", "-w", "2", "-q", "-o",
                                             work + "/asm/prog.hex", work + "/pristine.S"};
  std::vector<double> optimiserTimes, gpasmTimes;
  for (int round = 0; round < kRounds; ++round) {
    fs::copy_file(work + "/pristine.LST", work + "/prog.LST", fs::copy_options::overwrite_existing);
    fs::copy_file(work + "/pristine.S", work + "/prog.S", fs::copy_options::overwrite_existing);
    const Timed run = RunTimed(optimise);
    if (run.status != 0) {
      std::fprintf(stderr, "velkar-optimiser failed (status %d)\n", run.status);
      return false;
    }
    optimiserTimes.push_back(run.seconds);
    result.peakKiB = std::max(result.peakKiB, run.peakKiB);
    gpasmTimes.push_back(RunTimed(assemble).seconds);
  }
  // What the program needs before it reads anything: level 255 does nothing.
  result.idleKiB = RunTimed({binary + "/velkar-optimiser", "-l255", work + "/prog.LST"}).peakKiB;
  result.optimiser = Median(optimiserTimes);
  result.gpasm = Median(gpasmTimes);
  return true;
}

}  // namespace

int main() {
  const std::string gpasm = FindGpasm();
  if (gpasm.empty()) {
    std::fprintf(stderr, "gpasm not found; install gputils (apt-get install gputils)\n");
    return 1;
  }
  char pattern[] = "/tmp/velkar-run-perftest-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return 1;
  const std::string work = pattern;

  std::vector<SizeResult> results;
  for (int blocks : {1000, 2000}) {
    SizeResult result;
    if (!Measure(work + "/" + std::to_string(blocks), blocks, gpasm, result)) {
      fs::remove_all(work);
      return 1;
    }
    results.push_back(result);
    std::printf("listing %zu lines (%ju bytes), %d rounds:\n", result.listingLines, result.listingBytes, kRounds);
    std::printf("  velkar-optimiser -l3 (assembler exits at once): median %.4f s\n", result.optimiser);
    std::printf("  gpasm, one assembly:                            median %.4f s\n", result.gpasm);
    std::printf("  ratio: %.2f %% of one gpasm run (target under 5 %%)\n", 100.0 * result.optimiser / result.gpasm);
    std::printf("  peak memory: %ld KiB = %.2f x the listing (target under 3); %ld KiB without reading anything,"
                " %.2f x the listing above that\n",
                result.peakKiB, result.peakKiB * 1024.0 / result.listingBytes, result.idleKiB,
                (result.peakKiB - result.idleKiB) * 1024.0 / result.listingBytes);
  }
  const double lineRatio = static_cast<double>(results[1].listingLines) / results[0].listingLines;
  const double timeRatio = results[1].optimiser / results[0].optimiser;
  std::printf("linearity: %.2f x the lines took %.2f x the time (linear: about the same)\n", lineRatio, timeRatio);
  fs::remove_all(work);
  return 0;
}
