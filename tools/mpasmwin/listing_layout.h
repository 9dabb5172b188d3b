#pragma once
// gpasm's listing put into the layout the optimiser's listing readers rely on.
#include <string>
#include <string_view>

// The listing text with a form feed in front of every page heading that lacks one, and,
// when `upperCaseSymbols`, the names in the symbol table upper-cased (ASCII letters only).
std::string ArrangeListing(std::string_view gpasmListing, bool upperCaseSymbols);

// Where the listing of `base` (the source path without extension) goes: the existing file
// in that folder whose name is <base>.LST without regard to letter case (the exact name
// first), else <base>.LST.
std::string ListingPathFor(const std::string& base);
