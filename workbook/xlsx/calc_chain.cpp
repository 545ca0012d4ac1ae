#include "workbook/xlsx/calc_chain.h"

#include "workbook/common/messages.h"
#include "workbook/xlsx/package_info.h"

#include <pugixml.hpp>
#include <cstring>
#include <sstream>

namespace workbook::xlsx {
namespace {

const char* local(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

void load(pugi::xml_document& doc, const QByteArray& xml)
{
    if (!doc.load_buffer(xml.constData(), size_t(xml.size()), pugi::parse_default & ~pugi::parse_doctype))
        throw writeRefused(QStringLiteral("工作簿的内部部件无法解析。"));
}

QByteArray save(const pugi::xml_document& doc)
{
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return QByteArray::fromStdString(out.str());
}

} // namespace

bool removeCalcChainEntries(QByteArray& chain, const std::set<std::pair<int, QString>>& cells)
{
    pugi::xml_document doc;
    load(doc, chain);
    pugi::xml_node root = doc.document_element();
    int sheet = 0;
    bool any = false;
    for (pugi::xml_node c = root.first_child(); c;) {
        pugi::xml_node next = c.next_sibling();
        if (c.type() == pugi::node_element && std::strcmp(local(c.name()), "c") == 0) {
            if (pugi::xml_attribute i = c.attribute("i"))
                sheet = i.as_int();
            if (cells.count({sheet, QString::fromUtf8(c.attribute("r").value())})) {
                root.remove_child(c);
            } else {
                pugi::xml_attribute i = c.attribute("i");
                if (!i)
                    i = c.append_attribute("i");
                i.set_value(sheet);
                any = true;
            }
        }
        c = next;
    }
    if (any)
        chain = save(doc);
    return any;
}

void dropPartReferences(const ZipPackage& zip, const QString& workbookPart, const QString& part,
                        QHash<QString, QByteArray>& replaced)
{
    const qsizetype slash = workbookPart.lastIndexOf(u'/');
    const QString relsPart = workbookPart.left(slash + 1) + QStringLiteral("_rels/") + workbookPart.mid(slash + 1) +
                             QStringLiteral(".rels");
    if (zip.contains(relsPart)) {
        pugi::xml_document doc;
        load(doc, zip.read(relsPart));
        pugi::xml_node root = doc.document_element();
        for (pugi::xml_node r = root.first_child(); r;) {
            pugi::xml_node next = r.next_sibling();
            if (resolvePartName(workbookPart, QString::fromUtf8(r.attribute("Target").value())).compare(part, Qt::CaseInsensitive) == 0)
                root.remove_child(r);
            r = next;
        }
        replaced.insert(relsPart, save(doc));
    }
    const QString types = QStringLiteral("[Content_Types].xml");
    if (zip.contains(types)) {
        pugi::xml_document doc;
        load(doc, zip.read(types));
        pugi::xml_node root = doc.document_element();
        for (pugi::xml_node o = root.first_child(); o;) {
            pugi::xml_node next = o.next_sibling();
            QString name = QString::fromUtf8(o.attribute("PartName").value());
            if (name.startsWith(u'/'))
                name.remove(0, 1);
            if (name.compare(part, Qt::CaseInsensitive) == 0)
                root.remove_child(o);
            o = next;
        }
        replaced.insert(types, save(doc));
    }
}

} // namespace workbook::xlsx
