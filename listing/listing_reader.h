#pragma once
// Reads the listing's program lines into ListingLines (upper-cased, trailing blanks removed).
bool ReadListing();
