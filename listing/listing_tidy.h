#pragma once
// Writes the final listing back without the compiler's marker lines and the blocks they
// enclose, the page and column headings and the listing-control lines; two markers stay,
// in mixed case. The listing is replaced whole or not at all.
bool TidyListing();
