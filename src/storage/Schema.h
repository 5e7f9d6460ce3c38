#pragma once

namespace slip {

// Creates the six tables and the current-format state record when the file
// is new or lacks them; never touches rows that exist. False when the file
// can't be used. The one place that makes a database file: start-up.
bool EnsureSchema();

// Brings a file of an older layout up to date: SumID and SumID1 are added to
// Fmt with 0 in every row. Errors are passed over.
void UpgradeSchema();

} // namespace slip
