#pragma once

#include "data/provider.h"

#include <QString>
#include <functional>
#include <memory>

namespace data {

class ConnectionString;

// Which engine a connection string asks for, as chosen by its "Provider=" item.
enum class ProviderKind {
    Sqlite,   // Microsoft.Jet.OLEDB.4.0 without Excel properties: the business database file
    Odbc,     // SQLOLEDB.1: a server reached over ODBC
    Xls,      // Microsoft.Jet.OLEDB.4.0 with "Extended Properties=excel 8.0": .xls only
    Workbook  // Microsoft.ACE.OLEDB.12.0: .xlsx, or .xls detected by content
};
ProviderKind providerKindOf(const ConnectionString& cs); // raises for an unknown provider

using ProviderFactory = std::function<std::unique_ptr<Provider>(const ConnectionString&)>;
// The workbook engines plug in here; the SQL providers are built in.
void registerProvider(ProviderKind kind, ProviderFactory factory);

class Connection {
public:
    explicit Connection(QString objectName);
    ~Connection();

    const QString& objectName() const { return name_; }

    void setLoginPrompt(bool on) { loginPrompt_ = on; } // never used to ask: kept for callers
    bool loginPrompt() const { return loginPrompt_; }

    void setConnectionString(const QString& text) { connectionString_ = text; }
    const QString& connectionString() const { return connectionString_; }

    void connect();
    void disconnect();
    bool connected() const { return provider_ != nullptr; }
    void setConnected(bool on) { on ? connect() : disconnect(); }

    // Clears the list, then fills it with the tables and views (system tables excluded).
    void getTableNames(QStringList& list);

    // The open provider, connecting first when disconnected.
    Provider& provider();

    // Ends every dataset opened over this connection before the provider goes away.
    void addDependent(std::function<void()> onDisconnect, const void* owner);
    void removeDependent(const void* owner);

private:
    QString name_;
    QString connectionString_;
    bool loginPrompt_ = true;
    std::unique_ptr<Provider> provider_;
    struct Dependent {
        const void* owner;
        std::function<void()> onDisconnect;
    };
    std::vector<Dependent> dependents_;
};

} // namespace data
