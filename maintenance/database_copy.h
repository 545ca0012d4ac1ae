#pragma once

#include <QString>

namespace maintenance {

// Copies a database file the way a backup must be made, and returns 0 when the copy was made,
// else a non-zero code (an errno value, or -1 for a refusal of SQLite).
// - A SQLite database is copied through SQLite's online backup, so that committed rows still
//   in its write-ahead log are included and the copy is one self-contained file; any other
//   file is copied byte for byte.
// - The copy is written under a temporary name beside the destination and takes the
//   destination's name only when complete; the temporary file is removed on every failure.
// - A missing destination folder is created (the folder only, not its parents).
// - An existing destination is never replaced: that counts as a failure.
int copyDatabaseFile(const QString& source, const QString& destination);

} // namespace maintenance
