#include "listing/listing_tidy.h"

bool TidyListing() { return false; }
