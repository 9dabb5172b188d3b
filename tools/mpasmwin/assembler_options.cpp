#include "tools/mpasmwin/assembler_options.h"

namespace {

bool IsOption(const std::string& arg) { return arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-'); }

// "+" or nothing switches on, "-" switches off.
bool SwitchValue(const std::string& value) { return value != "-"; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

void ApplyOption(const std::string& arg, AssemblerOptions& options) {
  const char letter = LowerAscii(arg[1]);
  const std::string value = arg.substr(2);
  switch (letter) {
    case 'e': options.errorFile = SwitchValue(value); break;
    case 'l': options.listing = SwitchValue(value); break;
    case 'c': options.caseSensitive = SwitchValue(value); break;
    case 'q': options.quiet = SwitchValue(value); break;
    case 'm': options.macroExpansion = SwitchValue(value) ? 1 : 0; break;
    case 'w':
      if (value.size() == 1 && value[0] >= '0' && value[0] <= '2') options.warningLevel = value[0] - '0';
      break;
    case 'p':
      if (!value.empty()) options.processor = value;
      break;
    case 'd':
      if (!value.empty()) options.defines.push_back(value);
      break;
    default: break;  // cross-reference, radix, tab size, ...: nothing gpasm needs
  }
}

}  // namespace

bool ParseAssemblerOptions(const std::vector<std::string>& args, AssemblerOptions& options) {
  if (args.empty()) return false;
  for (std::size_t i = 0; i + 1 < args.size(); ++i)
    if (IsOption(args[i])) ApplyOption(args[i], options);
  options.source = args.back();
  return !options.source.empty();
}

std::string BaseNameOf(const std::string& source) {
  const std::size_t dot = source.rfind('.');
  const std::size_t slash = source.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return source;
  return source.substr(0, dot);
}

std::string SourceArgument(const AssemblerOptions& options) {
  if (options.source.empty() || options.source[0] != '-') return options.source;
  std::string source = "./";
  source += options.source;
  return source;
}

std::vector<std::string> GpasmArguments(const AssemblerOptions& options) {
  // MPASM's layout of the symbol table (name and value in two columns) and its reading of
  // the source.
  std::vector<std::string> args = {"--mpasm-compatible"};
  if (options.warningLevel >= 0) args.insert(args.end(), {"-w", std::to_string(options.warningLevel)});
  if (!options.caseSensitive) args.push_back("-i");
  if (options.quiet) args.push_back("-q");
  if (options.errorFile) args.push_back("-k");
  if (options.macroExpansion >= 0) args.push_back(options.macroExpansion ? "--expand=ON" : "--expand=OFF");
  if (!options.processor.empty()) args.insert(args.end(), {"-p", options.processor});
  for (const std::string& define : options.defines) args.insert(args.end(), {"-D", define});
  // gpasm names its files after the source path cut at its first dot, which may stand in a
  // folder's name; an explicit output name keeps them beside the source as <base>.*.
  const std::string source = SourceArgument(options);
  args.insert(args.end(), {"-o", BaseNameOf(source) + ".hex", source});
  return args;
}
