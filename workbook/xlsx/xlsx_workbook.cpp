#include "workbook/xlsx/xlsx_workbook.h"

#include "data/error.h"
#include "workbook/common/messages.h"
#include "workbook/xlsx/sheet_reader.h"
#include "workbook/xlsx/sheet_editor.h"
#include "workbook/xlsx/calc_chain.h"

namespace workbook::xlsx {
namespace {

// Workbooks larger than this are not held in memory.
constexpr qint64 kMaxFileBytes = 512LL * 1024 * 1024;

} // namespace

XlsxWorkbook::XlsxWorkbook(const QString& path) : path_(path)
{
    QByteArray bytes = readWholeFile(path, kMaxFileBytes);
    stamp_ = FileStamp::ofBytes(path, bytes);
    load(std::move(bytes));
}

XlsxWorkbook::~XlsxWorkbook() = default;

void XlsxWorkbook::load(QByteArray bytes)
{
    zip_.reset();
    bytes_ = std::move(bytes);
    zip_ = std::make_unique<ZipPackage>(path_, bytes_);
    info_ = readPackageInfo(path_, *zip_);
    sharedStrings_.clear();
    if (!info_.sharedStringsPart.isEmpty() && zip_->contains(info_.sharedStringsPart))
        sharedStrings_ = readSharedStrings(path_, zip_->read(info_.sharedStringsPart));
    else
        info_.sharedStringsPart.clear();
    styles_ = {};
    if (!info_.stylesPart.isEmpty() && zip_->contains(info_.stylesPart))
        styles_ = readStyles(path_, zip_->read(info_.stylesPart));
    if (!info_.calcChainPart.isEmpty() && !zip_->contains(info_.calcChainPart))
        info_.calcChainPart.clear();
    savedStringCount_ = sharedStrings_.size();
    edited_.clear();
    saved_.clear();
    stringIndex_.reset();
    droppedFormulas_.clear();
}

std::vector<Worksheet> XlsxWorkbook::worksheets() const
{
    std::vector<Worksheet> sheets;
    sheets.reserve(info_.sheets.size());
    for (const SheetPart& s : info_.sheets)
        sheets.push_back(Worksheet{s.name, s.visible});
    return sheets;
}

const SheetPart& XlsxWorkbook::sheetPart(int sheet) const
{
    if (sheet < 0 || sheet >= int(info_.sheets.size()))
        throw data::Error(QStringLiteral("工作表序号 %1 不存在。").arg(sheet));
    return info_.sheets[size_t(sheet)];
}

void XlsxWorkbook::readCells(int sheet, CellSink& sink)
{
    const SheetPart& part = sheetPart(sheet);
    const QByteArray xml = currentPart(part.part);
    CellContext context{&sharedStrings_, &styles_, info_.date1904};
    try {
        readSheetCells(std::string_view(xml.constData(), size_t(xml.size())), context, sink);
    } catch (const data::Error& e) {
        throw badContent(path_, QStringLiteral("工作表“%1”：%2").arg(part.name, e.message()));
    }
}

QByteArray XlsxWorkbook::currentPart(const QString& part) const
{
    if (const auto edited = edited_.constFind(part); edited != edited_.constEnd())
        return *edited;
    if (const auto saved = saved_.constFind(part); saved != saved_.constEnd())
        return *saved;
    return zip_->read(part);
}

QByteArray& XlsxWorkbook::editablePart(const QString& part)
{
    auto it = edited_.find(part);
    if (it == edited_.end()) {
        // Moved, not copied: once edited the text no longer matches the file.
        it = edited_.insert(part, saved_.contains(part) ? saved_.take(part) : zip_->read(part));
    }
    return *it;
}

bool XlsxWorkbook::isDateStyle(int style) const
{
    return style >= 0 && size_t(style) < styles_.dateFormat.size() && styles_.dateFormat[size_t(style)];
}

int XlsxWorkbook::dateStyleFor(int style) const
{
    if (isDateStyle(style))
        return style;
    for (size_t i = 0; i < styles_.dateFormat.size(); ++i)
        if (styles_.dateFormat[i] && !styles_.timeOnly[i])
            return int(i);
    return -1;
}

int XlsxWorkbook::sharedStringIndex(const QString& text)
{
    if (!stringIndex_) {
        stringIndex_.emplace();
        stringIndex_->reserve(qsizetype(sharedStrings_.size()));
        for (size_t i = sharedStrings_.size(); i-- > 0;)
            stringIndex_->insert(sharedStrings_[i], int(i));
    }
    const auto found = stringIndex_->constFind(text);
    if (found != stringIndex_->constEnd())
        return *found;
    const int index = int(sharedStrings_.size());
    sharedStrings_.push_back(text);
    stringIndex_->insert(text, index);
    return index;
}

void XlsxWorkbook::writeCells(int sheet, int row, std::span<const CellWrite> cells)
{
    const SheetPart& part = sheetPart(sheet);
    if (row < 0 || row >= kMaxRows)
        throw writeRefused(QStringLiteral("行号超出工作表范围。"));
    std::vector<CellText> texts;
    texts.reserve(cells.size());
    const bool useSharedStrings = !info_.sharedStringsPart.isEmpty();
    for (const CellWrite& w : cells) {
        if (w.column < 0 || w.column >= kMaxColumns)
            throw writeRefused(QStringLiteral("列号超出工作表范围。"));
        CellText t;
        t.column = w.column;
        const data::Value& v = w.value;
        switch (v.kind()) {
        case data::ValueKind::Null: t.kind = CellText::Empty; break;
        case data::ValueKind::Text:
            if (useSharedStrings) {
                t.kind = CellText::SharedString;
                t.value = QString::number(sharedStringIndex(v.textValue()));
            } else {
                t.kind = CellText::InlineString;
                t.value = v.textValue();
            }
            break;
        case data::ValueKind::Integer:
        case data::ValueKind::Float:
            t.kind = CellText::Number;
            t.value = formatXmlNumber(v.toFloat());
            break;
        case data::ValueKind::DateTime:
            t.kind = CellText::Date;
            t.value = formatXmlNumber(serialFromOleDate(v.toFloat(), info_.date1904));
            break;
        case data::ValueKind::Boolean:
            t.kind = CellText::Boolean;
            t.value = v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
            break;
        case data::ValueKind::Error:
            t.kind = CellText::ErrorCode;
            t.value = v.textValue();
            break;
        }
        texts.push_back(std::move(t));
    }
    QByteArray& xml = editablePart(part.part);
    SheetEditor editor(xml);
    const std::vector<QString> dropped =
        editor.setCells(row, texts, [this](int style, bool date) { return date ? dateStyleFor(style) : style; });
    for (const QString& ref : dropped)
        droppedFormulas_.insert({part.sheetId, ref});
}

void XlsxWorkbook::deleteRow(int sheet, int row)
{
    const SheetPart& part = sheetPart(sheet);
    // Formulas and names elsewhere that point into this sheet would point at the wrong rows.
    for (const NamedRange& n : info_.names)
        if (n.sheet == sheet && n.range.lastRow >= row)
            throw deleteRefused(QStringLiteral("名称“%1”引用了该行或其下方的单元格。").arg(n.name));
    for (const SheetPart& other : info_.sheets) {
        if (other.part == part.part)
            continue;
        if (sheetReferredToBy(currentPart(other.part), part.name))
            throw deleteRefused(QStringLiteral("工作表“%1”中的公式引用了本工作表。").arg(other.name));
    }
    QByteArray xml = currentPart(part.part);
    SheetEditor editor(xml);
    editor.deleteRow(row); // raises, leaving xml as it was, where moving rows is unsafe
    saved_.remove(part.part);
    edited_.insert(part.part, xml);
}

void XlsxWorkbook::save()
{
    checkUnchanged(path_, stamp_);
    QHash<QString, QByteArray> replaced = edited_;
    if (sharedStrings_.size() > savedStringCount_) {
        QByteArray sst = zip_->read(info_.sharedStringsPart);
        appendSharedStrings(sst, sharedStrings_, savedStringCount_);
        replaced.insert(info_.sharedStringsPart, sst);
    }
    QStringList removed;
    if (!droppedFormulas_.empty() && !info_.calcChainPart.isEmpty()) {
        QByteArray chain = zip_->read(info_.calcChainPart);
        if (removeCalcChainEntries(chain, droppedFormulas_)) {
            replaced.insert(info_.calcChainPart, chain);
        } else {
            // Nothing left to calculate: the part goes, with its relationship and content type.
            removed << info_.calcChainPart;
            dropPartReferences(*zip_, info_.workbookPart, info_.calcChainPart, replaced);
        }
    }
    if (replaced.isEmpty() && removed.isEmpty())
        return;
    QByteArray content = zip_->rewrite(replaced, removed);
    stamp_ = safeSave(path_, content);
    // The file now holds every edit: it becomes the base of the next one. Strings and styles
    // in memory already match it.
    zip_.reset();
    bytes_ = std::move(content);
    zip_ = std::make_unique<ZipPackage>(path_, bytes_);
    if (!removed.isEmpty())
        info_.calcChainPart.clear();
    saved_.insert(edited_);
    edited_.clear();
    savedStringCount_ = sharedStrings_.size();
    droppedFormulas_.clear();
}

void XlsxWorkbook::revert()
{
    edited_.clear();
    sharedStrings_.resize(savedStringCount_);
    stringIndex_.reset();
    droppedFormulas_.clear();
}

} // namespace workbook::xlsx

namespace workbook {

std::unique_ptr<Workbook> openXlsx(const QString& path)
{
    return std::make_unique<xlsx::XlsxWorkbook>(path);
}

} // namespace workbook
