#include "workbook/xls/xls_workbook.h"

#include "workbook/common/messages.h"
#include "workbook/xls/biff_records.h"
#include "workbook/xls/byte_order.h"
#include "workbook/xls/cell_records.h"
#include "workbook/xls/globals_writer.h"
#include "workbook/xls/sheet_layout.h"
#include "workbook/xls/sheet_reader.h"

#include <algorithm>
#include <numeric>

namespace workbook::xls {
namespace {

constexpr qint64 kMaxFileBytes = 512ll * 1024 * 1024;
constexpr int kBiff8Rows = 65536;
constexpr int kBiff8Columns = 256;
constexpr int kMaxTextLength = 32767;
constexpr std::uint16_t kGeneralXf = 15;
constexpr std::uint16_t kShortDateFormat = 14;

// Runs a reading step, turning a fault in the content into an error that names the file.
template <typename Step>
auto readingContent(const QString& path, Step step)
{
    try {
        return step();
    } catch (const data::Error& e) {
        if (e.message() == notExpectedFormat().message())
            throw;
        throw badContent(path, e.message());
    }
}

// The INDEX record of an untouched sheet holds stream offsets; they follow the sheet's move.
void moveIndexOffsets(std::string& stream, std::size_t sheetStart, std::int64_t delta)
{
    if (delta == 0)
        return;
    RecordCursor cursor(std::string_view(stream).substr(sheetStart), 0);
    for (int k = 0; k < 16 && !cursor.atEnd(); ++k) {
        const Record r = cursor.next();
        if (r.type != rec::Index)
            continue;
        if (r.body.size() < 16)
            return;
        char* body = stream.data() + sheetStart + r.offset + 4;
        auto shift = [&](char* p) {
            if (const std::uint32_t v = readU32(p))
                writeU32(p, std::uint32_t(std::int64_t(v) + delta));
        };
        shift(body + 12);
        for (std::size_t at = 16; at + 4 <= r.body.size(); at += 4)
            shift(body + at);
        return;
    }
}

} // namespace

std::unique_ptr<XlsWorkbook> XlsWorkbook::open(const QString& path)
{
    const QByteArray bytes = readWholeFile(path, kMaxFileBytes);
    std::unique_ptr<XlsWorkbook> book(new XlsWorkbook);
    book->path_ = path;
    book->stamp_ = FileStamp::ofBytes(path, bytes);
    book->file_ = readingContent(path, [&] {
        return CompoundFile::parse(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    });
    book->streamEntry_ = book->file_.findRootStream(QStringLiteral("Workbook"));
    if (book->streamEntry_ < 0)
        book->streamEntry_ = book->file_.findRootStream(QStringLiteral("Book"));
    if (book->streamEntry_ < 0)
        throw notExpectedFormat();
    // The stream lives in the workbook from here on; the container gets it back on save.
    book->current_.stream = std::make_shared<const std::string>(book->file_.takeStreamData(book->streamEntry_));
    book->current_.globals = readingContent(path, [&] { return readGlobals(book->stream()); });
    const WorkbookGlobals& g = book->current_.globals;
    if (g.encrypted)
        throw passwordProtected(path);
    for (int i = 0; i < int(g.sheets.size()); ++i) {
        if (g.sheets[i].offset < g.end || g.sheets[i].offset >= book->stream().size())
            throw badContent(path, QStringLiteral("工作表“%1”的位置超出工作簿流").arg(g.sheets[i].name));
        if (g.sheets[i].kind == 0)
            book->worksheetEntries_.push_back(i);
    }
    return book;
}

XlsWorkbook::EditedSheet::~EditedSheet() = default;

std::vector<Worksheet> XlsWorkbook::worksheets() const
{
    std::vector<Worksheet> list;
    for (int entry : worksheetEntries_) {
        const SheetEntry& s = current_.globals.sheets[entry];
        list.push_back({s.name, s.visibility == 0});
    }
    return list;
}

std::vector<NamedRange> XlsWorkbook::namedRanges() const
{
    auto worksheetOf = [&](int entry) {
        const auto it = std::find(worksheetEntries_.begin(), worksheetEntries_.end(), entry);
        return it == worksheetEntries_.end() ? -1 : int(it - worksheetEntries_.begin());
    };
    std::vector<NamedRange> list;
    for (NamedRange name : current_.globals.names) {
        name.sheet = worksheetOf(name.sheet);
        if (name.sheet < 0)
            continue;
        if (name.localSheet >= 0 && (name.localSheet = worksheetOf(name.localSheet)) < 0)
            continue;
        list.push_back(std::move(name));
    }
    return list;
}

int XlsWorkbook::sheetEntry(int worksheet) const
{
    if (worksheet < 0 || worksheet >= int(worksheetEntries_.size()))
        throw data::Error(QStringLiteral("工作表编号 %1 不存在。").arg(worksheet));
    return worksheetEntries_[worksheet];
}

void XlsWorkbook::readCells(int sheet, CellSink& sink)
{
    const int entry = sheetEntry(sheet);
    readingContent(path_, [&] {
        readSheetCells(stream(), current_.globals.sheets[entry].offset, current_.globals, sink);
        return 0;
    });
}

void XlsWorkbook::requireWritable() const
{
    if (current_.globals.version != BiffVersion::Biff8)
        throw writeRefused(QStringLiteral("这是 Excel 95 格式的工作簿，只能读取，不能写入。"));
    std::vector<std::uint32_t> offsets;
    for (const SheetEntry& s : current_.globals.sheets)
        offsets.push_back(s.offset);
    std::sort(offsets.begin(), offsets.end());
    if (std::adjacent_find(offsets.begin(), offsets.end()) != offsets.end())
        throw writeRefused(QStringLiteral("工作簿中有两个工作表指向同一位置，无法安全写入。"));
}

std::string_view XlsWorkbook::chunkOf(int entry) const
{
    const std::uint32_t start = current_.globals.sheets[entry].offset;
    std::size_t end = stream().size();
    for (const SheetEntry& s : current_.globals.sheets)
        if (s.offset > start)
            end = std::min<std::size_t>(end, s.offset);
    return stream().substr(start, end - start);
}

std::uint32_t XlsWorkbook::stringIndex(const QString& text)
{
    std::vector<SharedString>& strings = current_.globals.strings;
    if (!stringIndex_) {
        stringIndex_.emplace();
        stringIndex_->reserve(qsizetype(strings.size()));
        for (std::uint32_t i = 0; i < strings.size(); ++i)
            if (strings[i].runCount == 0 && strings[i].extension.empty())
                stringIndex_->insert(strings[i].text, i);
    }
    if (const auto it = stringIndex_->constFind(text); it != stringIndex_->constEnd())
        return it.value();
    strings.push_back({text, 0, {}, {}});
    const auto index = std::uint32_t(strings.size() - 1);
    stringIndex_->insert(text, index);
    return index;
}

std::uint16_t XlsWorkbook::dateStyle(std::vector<std::string>& extraXfs) const
{
    const DateStyles& styles = current_.globals.styles;
    for (std::size_t xf = kGeneralXf; xf < styles.xfCount(); ++xf)
        if (styles.isDate(std::uint16_t(xf)))
            return std::uint16_t(xf);
    // No date style yet: add one, a copy of the default cell style with the short date format.
    RecordCursor cursor(stream(), 0);
    std::size_t seen = 0;
    while (cursor.position() < current_.globals.end) {
        const Record r = cursor.next();
        if (r.type == rec::Xf && seen++ == kGeneralXf) {
            std::string body(r.body);
            writeU16(body.data() + 2, kShortDateFormat);
            extraXfs.push_back(body);
            return std::uint16_t(styles.xfCount());
        }
    }
    throw writeRefused(QStringLiteral("工作簿缺少默认单元格样式，无法写入日期。"));
}

void XlsWorkbook::writeCells(int sheet, int row, std::span<const CellWrite> cells)
{
    requireWritable();
    if (row < 0 || row >= kBiff8Rows)
        throw writeRefused(QStringLiteral("Excel 97-2003 工作簿（.xls）最多只能有 65536 行，无法再增加行。"));
    const int entry = sheetEntry(sheet);
    SheetLayout& layout = editedLayout(entry);
    std::vector<std::string> extraXfs;
    try {
        writeInto(layout, row, cells, extraXfs);
        replaceSheet(entry, layout, extraXfs);
    } catch (...) {
        // The layout may hold part of the refused edit: start again from the stream.
        edited_.erase(entry);
        throw;
    }
}

void XlsWorkbook::writeInto(SheetLayout& layout, int row, std::span<const CellWrite> cells,
                            std::vector<std::string>& extraXfs)
{
    WorkbookGlobals& g = current_.globals;
    for (const CellWrite& write : cells) {
        const int column = write.column;
        if (column < 0 || column >= kBiff8Columns)
            throw writeRefused(QStringLiteral("Excel 97-2003 工作簿（.xls）最多只能有 256 列。"));
        if (layout.anchorsSharedFormula(row, column))
            throw writeRefused(QStringLiteral("单元格 %1 是共享公式或数组公式的起点，改写它会破坏其他单元格的公式。")
                                   .arg(cellReference(row, column)));
        const std::optional<std::uint16_t> existing = layout.styleAt(row, column);
        std::uint16_t xf = existing.value_or(layout.styleAbove(row, column).value_or(kGeneralXf));
        const data::Value& v = write.value;
        std::string record;
        switch (v.kind()) {
        case data::ValueKind::Null:
            if (existing)
                record = blankRecord(row, column, xf);
            break;
        case data::ValueKind::Text:
            if (v.textValue().isEmpty()) {
                if (existing)
                    record = blankRecord(row, column, xf);
                break;
            }
            if (v.textValue().size() > kMaxTextLength)
                throw writeRefused(QStringLiteral("单元格文字超过 32767 个字符。"));
            record = sharedStringRecord(row, column, xf, stringIndex(v.textValue()));
            ++g.stringReferences;
            break;
        case data::ValueKind::Integer:
        case data::ValueKind::Float:
            // A number in a date-styled cell would read back as a date.
            if (g.styles.isDate(xf))
                xf = kGeneralXf;
            record = numberRecord(row, column, xf, v.toFloat());
            break;
        case data::ValueKind::DateTime:
            if (!g.styles.isDate(xf) && !(xf >= g.styles.xfCount() && !extraXfs.empty()))
                xf = dateStyle(extraXfs);
            record = numberRecord(row, column, xf, serialFromOleDate(v.toFloat(), g.date1904));
            break;
        case data::ValueKind::Boolean:
            record = booleanRecord(row, column, xf, v.toBool());
            break;
        case data::ValueKind::Error:
            record = errorRecord(row, column, xf, v.textValue());
            break;
        }
        if (layout.isSharedStringCell(row, column) && g.stringReferences > 0)
            --g.stringReferences;
        layout.setCell(row, column, std::move(record));
    }
}

SheetLayout& XlsWorkbook::editedLayout(int entry)
{
    auto [it, added] = edited_.try_emplace(entry);
    if (added) {
        try {
            // The layout refers into the stream as it is now; holding it keeps those bytes alive.
            it->second.source = current_.stream;
            it->second.layout = std::make_unique<SheetLayout>(SheetLayout::parse(chunkOf(entry)));
        } catch (...) {
            edited_.erase(it);
            throw;
        }
    }
    return *it->second.layout;
}

void XlsWorkbook::deleteRow(int sheet, int row)
{
    requireWritable();
    const int entry = sheetEntry(sheet);
    SheetLayout& layout = editedLayout(entry);
    QString why = layout.whyRowCannotGo(row);
    for (int other = 0; why.isEmpty() && other < int(current_.globals.sheets.size()); ++other)
        if (other != entry && SheetLayout::formulasReachRow(chunkOf(other), row, true))
            why = QStringLiteral("其他工作表中有公式引用了该行或其下方的单元格。");
    for (const NamedRange& name : current_.globals.names)
        if (why.isEmpty() && name.sheet == entry && name.range.lastRow >= row)
            why = QStringLiteral("名称“%1”引用了该行或其下方的单元格。").arg(name.name);
    if (!why.isEmpty())
        throw deleteRefused(why);
    try {
        layout.removeRow(row);
        replaceSheet(entry, layout, {});
    } catch (...) {
        edited_.erase(entry);
        throw;
    }
}

void XlsWorkbook::replaceSheet(int entry, const SheetLayout& layout, const std::vector<std::string>& extraXfs)
{
    const WorkbookGlobals& g = current_.globals;
    const std::string_view stream = this->stream();
    std::vector<int> order(g.sheets.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return g.sheets[a].offset < g.sheets[b].offset; });

    WrittenGlobals written = writeGlobals(stream, g, extraXfs);
    const std::size_t globalsSize = written.bytes.size();
    std::string out = std::move(written.bytes);
    out.reserve(stream.size() + stream.size() / 64 + 65536);
    const std::size_t firstSheet = order.empty() ? stream.size() : g.sheets[order.front()].offset;
    out.append(stream.substr(g.end, firstSheet - g.end));
    std::vector<std::uint32_t> newOffsets(g.sheets.size());
    for (int i : order) {
        newOffsets[i] = std::uint32_t(out.size());
        if (i == entry) {
            layout.appendTo(out);
        } else {
            const std::size_t at = out.size();
            out.append(chunkOf(i));
            if (g.version == BiffVersion::Biff8)
                moveIndexOffsets(out, at, std::int64_t(at) - std::int64_t(g.sheets[i].offset));
        }
    }
    // The globals held here already know the strings; only positions changed.
    WorkbookGlobals& globals = current_.globals;
    for (std::size_t i = 0; i < globals.sheets.size(); ++i) {
        writeU32(out.data() + written.boundSheetPositions[i] + 4, newOffsets[i]);
        globals.sheets[i].offset = newOffsets[i];
        globals.sheets[i].recordOffset = written.boundSheetPositions[i];
    }
    globals.end = globalsSize;
    for (const std::string& xf : extraXfs)
        globals.styles.addXf(readU16(xf.data() + 2));
    globals.styles.finish();
    if (!unsaved_) {
        // The stream being replaced is the one in the file: keep it for revert().
        savedStream_ = current_.stream;
        unsaved_ = true;
    }
    current_.stream = std::make_shared<const std::string>(std::move(out));
}

void XlsWorkbook::save()
{
    checkUnchanged(path_, stamp_);
    const std::string image = file_.serialize(streamEntry_, stream());
    stamp_ = safeSave(path_, QByteArray::fromRawData(image.data(), qsizetype(image.size())));
    unsaved_ = false;
    savedStream_.reset();
}

void XlsWorkbook::revert()
{
    if (unsaved_) {
        current_.stream = std::move(savedStream_);
        savedStream_.reset();
        unsaved_ = false;
    }
    current_.globals = readGlobals(stream());
    stringIndex_.reset();
    edited_.clear();
}

} // namespace workbook::xls

namespace workbook {

std::unique_ptr<Workbook> openXls(const QString& path)
{
    return xls::XlsWorkbook::open(path);
}

} // namespace workbook
