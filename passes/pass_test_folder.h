#pragma once
// For the tests of the rewriting passes: the test folder helpers, and sources written as the
// passes write them.
#include <string>
#include <vector>

#include "listing/test_files.h"

// The lines joined as the passes write them: each one followed by CR LF.
inline std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}
