#pragma once
// Writes the final listing back without the compiler's marker lines and blocks.
bool TidyListing();
