#pragma once
// Start-up: the command line read into the run settings, and the window's close handler.
#include <string>
#include <vector>

// Reads the arguments (the program's own path excluded) into the run settings.
void FormCreate(const std::vector<std::string>& args);
// Frees SymbolList and ListingLines.
void FormClose();

// The extension of `path`: from the last dot after the last '/', '\' or ':'; empty when none.
std::string ExtensionOf(const std::string& path);
// `path` with its extension replaced by ".S" (appended when it has none).
std::string SourceNameFor(const std::string& path);
// The decimal level reading of an option value, low 8 bits kept.
unsigned char LevelFromText(const std::string& value);
