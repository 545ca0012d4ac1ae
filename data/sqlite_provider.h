#pragma once

#include "data/provider.h"

#include <memory>

namespace data {

class ConnectionString;

// The business database file (the Jet provider's place): a SQLite file named by "Data Source".
// A missing file is an error, never created; a real Jet file is refused with a clear message.
std::unique_ptr<Provider> openSqliteProvider(const ConnectionString& cs);

// Maps a declared column type ("VARCHAR(50)", "INTEGER", "REAL", "BOOLEAN", "DATETIME") to a field.
FieldInfo fieldFromDeclaredType(const QString& name, const QString& declared);

} // namespace data
