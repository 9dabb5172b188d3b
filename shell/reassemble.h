#pragma once
// Runs the assembler on SourceFileName and waits for it; true when it ends with exit code 0.
bool Reassemble();
