#pragma once
bool ShortenCallsAndJumps();
