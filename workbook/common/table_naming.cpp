#include "workbook/common/table_naming.h"

#include "data/error.h"

namespace workbook {
namespace {

bool needsQuotes(const QString& name)
{
    if (name.isEmpty() || name.front().isDigit())
        return true;
    for (QChar ch : name)
        if (!ch.isLetterOrNumber() && ch != u'_')
            return true;
    return false;
}

QString quoted(const QString& text)
{
    QString inner = text;
    inner.replace(u'\'', QStringLiteral("''"));
    return u'\'' + inner + u'\'';
}

// "'My Sheet$'" -> "My Sheet$"; anything else unchanged.
QString unquoted(const QString& text)
{
    if (text.size() >= 2 && text.front() == u'\'' && text.back() == u'\'')
        return text.mid(1, text.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    return text;
}

} // namespace

QString worksheetTableName(const QString& sheetName)
{
    const QString name = sheetName + u'$';
    return needsQuotes(sheetName) ? quoted(name) : name;
}

QString namedRangeTableName(const NamedRange& name, const std::vector<Worksheet>& sheets)
{
    if (name.localSheet < 0 || name.localSheet >= int(sheets.size()))
        return name.name;
    const QString& sheet = sheets[name.localSheet].name;
    const QString full = sheet + u'$' + name.name;
    return needsQuotes(sheet) ? quoted(full) : full;
}

QStringList listTables(Workbook& workbook)
{
    const std::vector<Worksheet> sheets = workbook.worksheets();
    QStringList names;
    for (const Worksheet& sheet : sheets)
        names << worksheetTableName(sheet.name);
    for (const NamedRange& range : workbook.namedRanges())
        names << namedRangeTableName(range, sheets);
    return names;
}

TableRef resolveTable(Workbook& workbook, const QString& commandText)
{
    QString name = commandText.trimmed();
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    if (name.trimmed().isEmpty())
        throw data::Error(QStringLiteral("表名为空：请选择要打开的工作表。"));

    const QString wanted = unquoted(name);
    const std::vector<Worksheet> sheets = workbook.worksheets();
    for (int i = 0; i < int(sheets.size()); ++i) {
        const QString listed = worksheetTableName(sheets[i].name);
        if (unquoted(listed).compare(wanted, Qt::CaseInsensitive) == 0)
            return TableRef{listed, i, std::nullopt};
    }
    for (const NamedRange& range : workbook.namedRanges()) {
        const QString listed = namedRangeTableName(range, sheets);
        if (unquoted(listed).compare(wanted, Qt::CaseInsensitive) == 0)
            return TableRef{listed, range.sheet, range.range};
    }
    throw data::Error(QStringLiteral("找不到表“%1”：工作簿中没有这个工作表或名称。").arg(name));
}

} // namespace workbook
