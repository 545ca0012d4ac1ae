#pragma once

#include <QList>
#include <QString>

namespace data {

// An OLE DB connection string: items split on ';', each "key=value". Values may be quoted
// with '"' or '\'' (the quote doubled inside). Keys match without regard to case; a later
// item replaces an earlier one of the same key; items without '=' are kept as bare items.
class ConnectionString {
public:
    static ConnectionString parse(const QString& text);

    QString value(const QString& key) const; // empty when absent
    bool contains(const QString& key) const;
    const QStringList& bareItems() const { return bare_; }

    // Quotes a value by the OLE DB rules when it would otherwise not read back as itself.
    static QString quoteValue(const QString& value);

private:
    struct Item {
        QString key;
        QString value;
    };
    QList<Item> items_;
    QStringList bare_;
};

} // namespace data
