#include "data/connection.h"

#include "data/connection_string.h"
#include "data/error.h"
#include "data/odbc_provider.h"
#include "data/sqlite_provider.h"

#include <map>

namespace data {

namespace {

std::map<ProviderKind, ProviderFactory>& factories()
{
    static std::map<ProviderKind, ProviderFactory> registry = {
        {ProviderKind::Sqlite, [](const ConnectionString& cs) { return openSqliteProvider(cs); }},
        {ProviderKind::Odbc, [](const ConnectionString& cs) { return openOdbcProvider(cs); }},
    };
    return registry;
}

} // namespace

ProviderKind providerKindOf(const ConnectionString& cs)
{
    const QString provider = cs.value(QStringLiteral("Provider")).trimmed();
    if (provider.compare(QStringLiteral("Microsoft.Jet.OLEDB.4.0"), Qt::CaseInsensitive) == 0
        || provider.compare(QStringLiteral("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive) == 0) {
        const QString props = cs.value(QStringLiteral("Extended Properties"));
        return props.contains(QStringLiteral("excel"), Qt::CaseInsensitive) ? ProviderKind::Xls
                                                                             : ProviderKind::Sqlite;
    }
    if (provider.startsWith(QStringLiteral("Microsoft.ACE.OLEDB"), Qt::CaseInsensitive))
        return ProviderKind::Workbook;
    if (provider.compare(QStringLiteral("SQLOLEDB.1"), Qt::CaseInsensitive) == 0
        || provider.compare(QStringLiteral("SQLOLEDB"), Qt::CaseInsensitive) == 0)
        return ProviderKind::Odbc;
    if (provider.isEmpty())
        throw Error(QStringLiteral("The connection string names no provider (Provider=...)."));
    throw Error(QStringLiteral("Provider cannot be found. It may not be properly installed. (%1)").arg(provider));
}

void registerProvider(ProviderKind kind, ProviderFactory factory)
{
    factories()[kind] = std::move(factory);
}

Connection::Connection(QString objectName) : name_(std::move(objectName)) {}

Connection::~Connection()
{
    disconnect();
}

void Connection::connect()
{
    if (provider_)
        return;
    const ConnectionString cs = ConnectionString::parse(connectionString_);
    const ProviderKind kind = providerKindOf(cs);
    const auto found = factories().find(kind);
    if (found == factories().end())
        throw objectError(name_, QStringLiteral("the workbook engine for this file type is not available"));
    provider_ = found->second(cs);
}

void Connection::disconnect()
{
    // Datasets over the connection close first; they may still need the provider to do so.
    const auto dependents = dependents_;
    for (const Dependent& d : dependents)
        d.onDisconnect();
    provider_.reset();
}

void Connection::getTableNames(QStringList& list)
{
    list.clear();
    list = provider().tableNames();
}

Provider& Connection::provider()
{
    connect();
    return *provider_;
}

void Connection::addDependent(std::function<void()> onDisconnect, const void* owner)
{
    removeDependent(owner);
    dependents_.push_back({owner, std::move(onDisconnect)});
}

void Connection::removeDependent(const void* owner)
{
    std::erase_if(dependents_, [owner](const Dependent& d) { return d.owner == owner; });
}

} // namespace data
