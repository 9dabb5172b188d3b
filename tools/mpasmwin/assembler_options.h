#pragma once
// The assembler's command line (options such as /e+ /w2 /c- /pPROC, the source last) and
// the gpasm command line that does the same work.
#include <string>
#include <vector>

struct AssemblerOptions {
  bool errorFile = false;      // /e+: messages also into <base>.err
  bool listing = true;         // /l-: no listing
  bool caseSensitive = true;   // /c-: symbols compared without regard to letter case
  bool quiet = false;          // /q
  int macroExpansion = -1;     // /m+ 1, /m- 0, -1 when not given
  int warningLevel = -1;       // /w0 all messages, /w1 warnings and errors, /w2 errors only
  std::string processor;       // /pPROC
  std::vector<std::string> defines;  // /dSYM=VAL
  std::string source;          // the last argument
};

// Reads the arguments (the program name excluded). An option is '/' or '-', a letter and
// its value ("+", "-", a digit or a text); unknown letters are ignored. False when no source
// is given.
bool ParseAssemblerOptions(const std::vector<std::string>& args, AssemblerOptions& options);

// The source path without its extension (from the last dot after the last '/').
std::string BaseNameOf(const std::string& source);

// The source path as gpasm is given it: one beginning with '-' must not read as an option.
std::string SourceArgument(const AssemblerOptions& options);

// gpasm's arguments for the same assembly; its hex, cod, err and lst files are named
// <base>.hex and so on.
std::vector<std::string> GpasmArguments(const AssemblerOptions& options);
