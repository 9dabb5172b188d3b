#include "passes/remove_bank_selects.h"

bool RemoveBankSelects() { return false; }
