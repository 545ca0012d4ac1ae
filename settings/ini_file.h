#pragma once

#include <QByteArray>
#include <QString>

namespace settings {

// Reads string values of an INI file the way the Windows profile functions do:
// - section and key names match without regard to (ASCII) case, blanks around them ignored;
// - blanks around '=' and at the ends of the value are dropped, then one pair of matching
//   single or double quotes around the whole value;
// - a value is cut to at most maxValueLength bytes;
// - lines whose first non-blank character is ';' are comments; a ';' later in a line is text;
// - the first section of a name and the first key of a name in it win over later ones;
// - a UTF-8 byte order mark is skipped, lines may end in CR LF, LF or CR.
// A missing or unreadable file, section or key gives the default; nothing here raises.
class IniFile {
public:
    static constexpr int maxValueLength = 2047;

    // Reads the whole file now; the file is not kept open.
    explicit IniFile(const QString& path);

    QByteArray readString(const QByteArray& section, const QByteArray& key,
                          const QByteArray& defaultValue) const;

private:
    QByteArray text_;
};

} // namespace settings
