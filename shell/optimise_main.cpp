#include "shell/optimise_main.h"

#include "listing/working_state.h"
#include "platform/vcl.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

// The option's value: the argument without its first two characters and without the
// blanks or control characters that then lead it.
std::string OptionValue(const std::string& arg) {
  std::size_t start = 2;
  while (start < arg.size() && static_cast<unsigned char>(arg[start]) < 33) ++start;
  return start < arg.size() ? arg.substr(start) : std::string();
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string ExtensionOf(const std::string& path) {
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return std::string();
  for (std::size_t i = dot + 1; i < path.size(); ++i)
    if (IsSeparator(path[i])) return std::string();
  return path.substr(dot);
}

std::string SourceNameFor(const std::string& path) {
  return path.substr(0, path.size() - ExtensionOf(path).size()) + ".S";
}

unsigned char LevelFromText(const std::string& value) {
  std::size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || (value[i] >= '\t' && value[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  unsigned int number = 0;  // wraps like 32-bit arithmetic; only the low 8 bits are kept
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) number = number * 10u + unsigned(value[i] - '0');
  if (negative) number = 0u - number;
  return static_cast<unsigned char>(number & 0xFFu);
}

void FormCreate(const std::vector<std::string>& args) {
  Application.ProcessMessages();
  Application.ProcessMessages();
  OptimiseLevel = 1;
  for (const std::string& arg : args) {
    // An empty argument is what a pair of quotes with nothing between them gives: skipped.
    if (arg.empty()) continue;
    if (arg[0] != '-') {
      ListingFileName = arg;
      continue;
    }
    // A lone hyphen has no option letter and, like an unknown letter, no effect.
    const char letter = arg.size() > 1 ? arg[1] : '\0';
    if (letter == 'l' || letter == 'L') OptimiseLevel = LevelFromText(OptionValue(arg));
    else if (letter == 'i' || letter == 'I') AssemblerDir = OptionValue(arg);
  }
  if (AssemblerDir.empty()) AssemblerDir = DirectoryOf(Application.ExeName()) + "/Includes/";
  else AssemblerDir += '/';
  SourceFileName = SourceNameFor(ListingFileName);
  Application.Title = "Velkar 18F Optimiser";
}

void FormClose() {
  try {
    SymbolList.Clear();
    ListingLines.Clear();
  } catch (...) {
  }
}
