#pragma once
// Reads the listing's program lines into ListingLines: upper-cased, trailing blanks and control
// characters removed, headings, banner, message 308, listing-control directives and everything
// from the symbol table on left out. Sets LineCount.
bool ReadListing();
