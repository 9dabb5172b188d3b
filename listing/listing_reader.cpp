#include "listing/listing_reader.h"

#include "listing/working_state.h"

bool ReadListing() {
  ListingLines.Clear();
  return false;  // read by the listing model
}
