#include "workbook/xlsx/package_info.h"

#include "workbook/common/messages.h"
#include "workbook/xlsx/number_formats.h"

#include <QHash>
#include <cstring>
#include <pugixml.hpp>

namespace workbook::xlsx {
namespace {

// Element and attribute names are compared without namespace prefixes: strict and
// transitional packages, and writers that prefix every element, all read the same.
const char* local(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

pugi::xml_node child(pugi::xml_node node, const char* name)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && std::strcmp(local(c.name()), name) == 0)
            return c;
    return {};
}

template <typename F>
void forChildren(pugi::xml_node node, const char* name, F f)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && std::strcmp(local(c.name()), name) == 0)
            f(c);
}

pugi::xml_attribute attr(pugi::xml_node node, const char* name)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        if (std::strcmp(local(a.name()), name) == 0 && std::strncmp(a.name(), "xmlns", 5) != 0)
            return a;
    return {};
}

QString text(const char* s) { return QString::fromUtf8(s); }

void parse(pugi::xml_document& doc, const QString& path, const QString& part, const QByteArray& xml)
{
    const pugi::xml_parse_result result =
        doc.load_buffer(xml.constData(), size_t(xml.size()), pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_doctype);
    if (!result)
        throw badContent(path, QStringLiteral("部件“%1”不是有效的 XML（%2）。").arg(part, QString::fromUtf8(result.description())));
    // Entities declared in a document type are never expanded; a part that declares any is refused
    // rather than read with its references left as text.
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype)
            throw badContent(path, QStringLiteral("部件“%1”含有文档类型声明，不予读取。").arg(part));
}

QString relsPartOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

struct Relationship {
    QString type; // the last segment of the type URI, e.g. "worksheet"
    QString target;
    bool external = false;
};

QHash<QString, Relationship> readRelationships(const QString& path, const ZipPackage& zip, const QString& part)
{
    QHash<QString, Relationship> rels;
    const QString relsPart = relsPartOf(part);
    if (!zip.contains(relsPart))
        return rels;
    pugi::xml_document doc;
    parse(doc, path, relsPart, zip.read(relsPart));
    forChildren(child(doc, "Relationships"), "Relationship", [&](pugi::xml_node r) {
        QString type = text(attr(r, "Type").value());
        type = type.mid(type.lastIndexOf(u'/') + 1);
        rels.insert(text(attr(r, "Id").value()),
                    Relationship{type, text(attr(r, "Target").value()),
                                 std::strcmp(attr(r, "TargetMode").value(), "External") == 0});
    });
    return rels;
}

// "Sheet1!$A$1:$C$9", "'My Sheet'!$A:$C"; anything else (formulas, several areas, #REF!) is no table.
bool parseNameReference(const QString& formula, const std::vector<SheetPart>& sheets, int* sheet, CellRange* range)
{
    QString f = formula.trimmed();
    if (f.startsWith(u'='))
        f.remove(0, 1);
    const qsizetype bang = f.lastIndexOf(u'!');
    if (bang <= 0)
        return false;
    QString sheetName = f.left(bang);
    const QString ref = f.mid(bang + 1);
    if (sheetName.size() >= 2 && sheetName.front() == u'\'' && sheetName.back() == u'\'')
        sheetName = sheetName.mid(1, sheetName.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    else if (sheetName.contains(u'\'') || sheetName.contains(u','))
        return false;
    *sheet = -1;
    for (int i = 0; i < int(sheets.size()); ++i)
        if (sheets[i].name.compare(sheetName, Qt::CaseInsensitive) == 0)
            *sheet = i;
    if (*sheet < 0)
        return false;
    if (parseRangeReference(ref, range))
        return true;
    // Whole columns ("$A:$C") or whole rows ("$1:$3").
    const QStringList ends = ref.split(u':');
    if (ends.size() != 2)
        return false;
    int r1, c1, r2, c2;
    if (parseCellReference(QString(ends[0] + u'1').remove(u'$'), &r1, &c1) &&
        parseCellReference(QString(ends[1] + u'1').remove(u'$'), &r2, &c2)) {
        *range = CellRange{0, std::min(c1, c2), kMaxRows - 1, std::max(c1, c2)};
        return true;
    }
    if (parseCellReference(QStringLiteral("A") + QString(ends[0]).remove(u'$'), &r1, &c1) &&
        parseCellReference(QStringLiteral("A") + QString(ends[1]).remove(u'$'), &r2, &c2)) {
        *range = CellRange{std::min(r1, r2), 0, std::max(r1, r2), kMaxColumns - 1};
        return true;
    }
    return false;
}

} // namespace

QString resolvePartName(const QString& sourcePart, const QString& target)
{
    QStringList segments;
    if (!target.startsWith(u'/')) {
        segments = sourcePart.split(u'/');
        segments.removeLast();
    }
    for (const QString& s : target.split(u'/', Qt::SkipEmptyParts)) {
        if (s == QLatin1String(".."))
        {
            if (!segments.isEmpty())
                segments.removeLast();
        } else if (s != QLatin1String(".")) {
            segments << s;
        }
    }
    return segments.join(u'/');
}

PackageInfo readPackageInfo(const QString& path, const ZipPackage& zip)
{
    PackageInfo info;
    for (const Relationship& r : readRelationships(path, zip, QString()))
        if (r.type == QLatin1String("officeDocument"))
            info.workbookPart = resolvePartName(QString(), r.target);
    if (info.workbookPart.isEmpty() && zip.contains(QStringLiteral("xl/workbook.xml")))
        info.workbookPart = QStringLiteral("xl/workbook.xml");
    if (info.workbookPart.isEmpty() || !zip.contains(info.workbookPart))
        throw badContent(path, QStringLiteral("找不到工作簿部件，这不是 Excel 工作簿。"));

    const QHash<QString, Relationship> rels = readRelationships(path, zip, info.workbookPart);
    for (const Relationship& r : rels) {
        if (r.external)
            continue;
        if (r.type == QLatin1String("sharedStrings"))
            info.sharedStringsPart = resolvePartName(info.workbookPart, r.target);
        else if (r.type == QLatin1String("styles"))
            info.stylesPart = resolvePartName(info.workbookPart, r.target);
        else if (r.type == QLatin1String("calcChain"))
            info.calcChainPart = resolvePartName(info.workbookPart, r.target);
    }

    pugi::xml_document doc;
    parse(doc, path, info.workbookPart, zip.read(info.workbookPart));
    const pugi::xml_node workbook = child(doc, "workbook");
    if (!workbook)
        throw badContent(path, QStringLiteral("工作簿部件没有 workbook 元素。"));
    const char* date1904 = attr(child(workbook, "workbookPr"), "date1904").value();
    info.date1904 = std::strcmp(date1904, "1") == 0 || std::strcmp(date1904, "true") == 0;

    // Sheet positions as the workbook counts them (localSheetId), worksheet or not.
    std::vector<int> worksheetOfPosition;
    forChildren(child(workbook, "sheets"), "sheet", [&](pugi::xml_node s) {
        const Relationship r = rels.value(text(attr(s, "id").value()));
        if (r.type != QLatin1String("worksheet") || r.external) {
            worksheetOfPosition.push_back(-1);
            return;
        }
        const QString state = text(attr(s, "state").value());
        worksheetOfPosition.push_back(int(info.sheets.size()));
        info.sheets.push_back(SheetPart{text(attr(s, "name").value()), resolvePartName(info.workbookPart, r.target),
                                        attr(s, "sheetId").as_int(), state.isEmpty() || state == QLatin1String("visible")});
    });

    forChildren(child(workbook, "definedNames"), "definedName", [&](pugi::xml_node n) {
        NamedRange range;
        range.name = text(attr(n, "name").value());
        if (range.name.startsWith(QLatin1String("_xlnm.")))
            range.name.remove(0, 6);
        if (range.name.isEmpty())
            return;
        const pugi::xml_attribute local = attr(n, "localSheetId");
        if (local) {
            const int position = local.as_int(-1);
            if (position < 0 || position >= int(worksheetOfPosition.size()) || worksheetOfPosition[position] < 0)
                return;
            range.localSheet = worksheetOfPosition[position];
        }
        if (parseNameReference(text(n.child_value()), info.sheets, &range.sheet, &range.range))
            info.names.push_back(range);
    });
    return info;
}

std::vector<QString> readSharedStrings(const QString& path, const QByteArray& xml)
{
    pugi::xml_document doc;
    parse(doc, path, QStringLiteral("sharedStrings"), xml);
    std::vector<QString> strings;
    const pugi::xml_node sst = child(doc, "sst");
    forChildren(sst, "si", [&](pugi::xml_node si) {
        QString s;
        for (pugi::xml_node c = si.first_child(); c; c = c.next_sibling()) {
            const char* name = local(c.name());
            if (std::strcmp(name, "t") == 0)
                s += text(c.child_value());
            else if (std::strcmp(name, "r") == 0)
                s += text(child(c, "t").child_value());
        }
        strings.push_back(std::move(s));
    });
    return strings;
}

StyleInfo readStyles(const QString& path, const QByteArray& xml)
{
    pugi::xml_document doc;
    parse(doc, path, QStringLiteral("styles"), xml);
    const pugi::xml_node styleSheet = child(doc, "styleSheet");
    QHash<int, QString> codes;
    forChildren(child(styleSheet, "numFmts"), "numFmt", [&](pugi::xml_node f) {
        codes.insert(attr(f, "numFmtId").as_int(), text(attr(f, "formatCode").value()));
    });
    StyleInfo info;
    forChildren(child(styleSheet, "cellXfs"), "xf", [&](pugi::xml_node xf) {
        const int id = attr(xf, "numFmtId").as_int();
        const auto code = codes.constFind(id);
        bool date = code != codes.constEnd() ? isDateFormatCode(*code) : isBuiltInDateFormat(id);
        bool timeOnly = false;
        if (date) {
            const QString c = code != codes.constEnd() ? code->toLower() : QString();
            timeOnly = code != codes.constEnd() ? !c.contains(u'd') && !c.contains(u'y')
                                                : (id >= 18 && id <= 21) || (id >= 45 && id <= 47);
        }
        info.dateFormat.push_back(date);
        info.timeOnly.push_back(timeOnly);
    });
    return info;
}

} // namespace workbook::xlsx
