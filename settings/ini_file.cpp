#include "settings/ini_file.h"

#include <QFile>
#include <QList>

namespace settings {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin).toByteArray();
}

// Lines end in LF, CR LF or CR alike; empty lines drop out, which suits the reader.
QList<QByteArrayView> splitLines(QByteArrayView text)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            if (i > start)
                lines.append(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    return lines;
}

bool sameName(const QByteArray& a, const QByteArray& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray withoutSurroundingQuotes(const QByteArray& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// A section header "[name]" gives its trimmed name; a header lacking ']' runs to the line's end,
// so that the keys under it never fall into the section before.
bool sectionHeader(const QByteArray& line, QByteArray& name)
{
    if (!line.startsWith('['))
        return false;
    qsizetype close = line.indexOf(']');
    if (close < 0)
        close = line.size();
    name = trimBlanks(QByteArrayView(line).sliced(1, close - 1));
    return true;
}

} // namespace

IniFile::IniFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    text_ = file.readAll();
    if (text_.startsWith("\xEF\xBB\xBF"))
        text_.remove(0, 3);
}

QByteArray IniFile::readString(const QByteArray& section, const QByteArray& key,
                               const QByteArray& defaultValue) const
{
    const QByteArray wantedSection = trimBlanks(section);
    const QByteArray wantedKey = trimBlanks(key);
    enum { BeforeSection, InSection } state = BeforeSection;

    for (QByteArrayView rawLine : splitLines(text_)) {
        const QByteArray line = trimBlanks(rawLine);
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        QByteArray name;
        if (sectionHeader(line, name)) {
            if (state == InSection)
                break; // only the first section of the name counts
            if (sameName(name, wantedSection))
                state = InSection;
            continue;
        }
        if (state != InSection)
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || !sameName(trimBlanks(QByteArrayView(line).first(equals)), wantedKey))
            continue;
        const QByteArray value = withoutSurroundingQuotes(trimBlanks(QByteArrayView(line).sliced(equals + 1)));
        return value.left(maxValueLength);
    }
    return defaultValue;
}

} // namespace settings
