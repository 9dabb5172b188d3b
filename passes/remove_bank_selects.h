#pragma once
// Drops each bank select (MOVLB) that a following MOVLB overrides before any instruction can
// use the bank, and writes the source (SourceFileName) back upper-cased. True when the source
// has been rewritten; false on any failure, the source then stays as it was.
bool RemoveBankSelects();
