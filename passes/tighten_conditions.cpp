#include "passes/tighten_conditions.h"

bool TightenConditions() { return false; }
