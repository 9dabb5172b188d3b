#include "passes/instruction_writer.h"

void WriteCall(TextFileWriter&, std::int32_t, std::int32_t, std::string_view) {}
void WriteJump(TextFileWriter&, std::int32_t, std::int32_t, std::string_view) {}
void WriteConditionalJump(TextFileWriter&, std::int32_t, std::int32_t, int, std::string_view, int, std::string_view,
                          int) {}
