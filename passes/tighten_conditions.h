#pragma once
// The pass of the second stage: writes the source (SourceFileName) again from the listing's
// lines, folding each skip on a STATUS bit that is followed by a near BRA into one conditional
// branch. False when the source cannot be written (it then stays as it was). Reading past the
// last listing line throws; the source stays as it was and the exception reaches the driver.
bool TightenConditions();
