#pragma once

#include <QByteArray>
#include <QString>

namespace settings {

// The six connection settings as read from DataSet.ini: plain values, code page 936 bytes.
struct TDataSetStr {
    QByteArray DataType;
    QByteArray Source;
    QByteArray UserID;
    QByteArray Catalog;
    QByteArray Password;
    QByteArray DataPath;
};

// The program-wide settings record, filled once by the start-up connection.
extern TDataSetStr DataSetInfo;

// Fills `record` from the section of the INI file; reads only when `section` is exactly "Database".
void ReadDataSetStr(const QString& iniPath, const QByteArray& section, TDataSetStr& record);

// Unscrambles one stored value; an empty key means the default key.
QByteArray DecryptStr(const QByteArray& text, const QByteArray& key);

// The inverse of DecryptStr with the empty key, for writing a settings file. Raises data::Error
// naming the byte when a plain byte cannot be stored.
QByteArray EncryptStr(const QByteArray& plain);

// Decodes the code page 936 bytes of a plain value.
QString fromGbk(const QByteArray& bytes);
QByteArray toGbk(const QString& text); // raises data::Error for characters GBK cannot hold

} // namespace settings
