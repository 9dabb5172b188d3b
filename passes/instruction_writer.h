#pragma once
// Writes the shortest call, jump or jump on a bit whose reach the distance allows, in place
// of one placeholder word, and adds the extra bytes it writes to AddressShift.
#include <cstdint>
#include <string_view>

#include "listing/text_file.h"

void WriteCall(TextFileWriter& out, std::int32_t origin, std::int32_t target, std::string_view label);
void WriteJump(TextFileWriter& out, std::int32_t origin, std::int32_t target, std::string_view label);
void WriteConditionalJump(TextFileWriter& out, std::int32_t origin, std::int32_t target, int jumpIfSet,
                          std::string_view reg, int bit, std::string_view label, int access);
