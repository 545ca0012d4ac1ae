#pragma once

#include "data/provider.h"

#include <memory>

namespace data {

class ConnectionString;

// A server catalog (the SQLOLEDB provider's place) over ODBC. The driver is FreeTDS unless the
// environment variable VARNELO_ODBC_DRIVER names another (tests use PostgreSQL's).
std::unique_ptr<Provider> openOdbcProvider(const ConnectionString& cs);

// The ODBC connection string for the OLE DB items Data Source (host, host,port or
// host\instance), Initial Catalog, User ID and Password.
QString odbcConnectionString(const ConnectionString& cs, const QString& driver);

} // namespace data
