#pragma once
// Writes the assembler source anew from the first listing: each line's source text, with
// every placeholder of the compiler replaced by the call, jump or branch it stands for, and
// the line "    END" last. The previous source is replaced only when the whole pass succeeds.
bool ShortenCallsAndJumps();
