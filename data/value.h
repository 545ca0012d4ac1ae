#pragma once

#include <QString>
#include <cstdint>

namespace data {

enum class ValueKind : std::uint8_t { Null, Text, Integer, Float, Boolean, DateTime, Error };

// One cell of a row: a database column value or a workbook cell, each keeping its own type.
// Date/times are held as OLE automation dates: days since 1899-12-30, the time as the fraction.
class Value {
public:
    Value() = default;

    static Value text(QString s);
    static Value integer(qint64 i);
    static Value number(double d);
    static Value boolean(bool b);
    static Value dateTime(double oleDate);
    static Value error(QString code); // a workbook error cell such as "#N/A"

    ValueKind kind() const { return kind_; }
    bool isNull() const { return kind_ == ValueKind::Null; }
    bool isNumeric() const
    {
        return kind_ == ValueKind::Integer || kind_ == ValueKind::Float || kind_ == ValueKind::DateTime;
    }

    // Read-as-text: text unchanged; numbers in general notation (15 significant digits, '.');
    // dates "yyyy-MM-dd" plus " HH:mm:ss" unless midnight; booleans "True"/"False"; null "".
    QString toText() const;
    qint64 toInteger() const;   // null and text that is no number read as 0
    double toFloat() const;     // likewise
    bool toBool() const;

    // The stored text of a Text or Error value (empty for the other kinds).
    const QString& textValue() const { return text_; }

    bool operator==(const Value& other) const;

private:
    ValueKind kind_ = ValueKind::Null;
    union {
        qint64 i_;
        double d_ = 0;
        bool b_;
    };
    QString text_;
};

// Number and date texts shared by every reader and writer.
QString formatNumber(double d);                  // general notation, 15 significant digits
QString formatOleDate(double oleDate);           // "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss"
bool parseNumber(const QString& text, double* out);        // plain decimal notation, '.' separator
bool parseDateTime(const QString& text, double* oleDate);  // the forms formatOleDate writes, and a few common ones

} // namespace data
