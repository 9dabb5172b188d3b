#include "shell/reassemble.h"

bool Reassemble() { return false; }
