#pragma once

#include <QString>

namespace data {

// Creates an empty SQLite business database file with every table the commands use, and with
// a few sample products, customers and delivery orders when `withDemoRows`. An existing file is
// never replaced; the file appears only when complete.
void createBusinessDatabase(const QString& path, bool withDemoRows);

} // namespace data
