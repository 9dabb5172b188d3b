#include "passes/shorten_calls_and_jumps.h"

bool ShortenCallsAndJumps() { return false; }
