#include "workbook/xls/workbook_globals.h"

#include "data/error.h"
#include "workbook/xls/biff_records.h"
#include "workbook/xls/biff_strings.h"
#include "workbook/xls/byte_order.h"
#include "workbook/xls/code_page.h"

#include <algorithm>

namespace workbook::xls {
namespace {

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBiff5 = 0x0500;

// Names of the built-in defined names, by the code a built-in NAME record stores.
QString builtInName(std::uint16_t code)
{
    static const char* const names[] = {"Consolidate_Area", "Auto_Open", "Auto_Close", "Extract",
                                        "Database", "Criteria", "Print_Area", "Print_Titles",
                                        "Recorder", "Data_Form", "Auto_Activate", "Auto_Deactivate",
                                        "Sheet_Title", "_FilterDatabase"};
    return code < std::size(names) ? QString::fromLatin1(names[code]) : QStringLiteral("_Builtin%1").arg(code);
}

struct ExternSheetRef {
    std::uint16_t firstSheet = 0;
};

// A defined name's formula that is exactly one reference or one area on one sheet.
bool singleRange(std::string_view formula, BiffVersion version, const std::vector<ExternSheetRef>& externs,
                 int* sheet, CellRange* range)
{
    if (formula.empty())
        return false;
    const std::uint8_t ptg = std::uint8_t(formula[0]);
    const std::uint8_t base = (ptg & 0x1F) | 0x20;
    const char* p = formula.data() + 1;
    if (version == BiffVersion::Biff8) {
        if (base == 0x3A && formula.size() == 7) {
            const std::uint16_t xti = readU16(p);
            if (xti >= externs.size())
                return false;
            *sheet = externs[xti].firstSheet;
            range->firstRow = range->lastRow = readU16(p + 2);
            range->firstColumn = range->lastColumn = readU16(p + 4) & 0x00FF;
            return true;
        }
        if (base == 0x3B && formula.size() == 11) {
            const std::uint16_t xti = readU16(p);
            if (xti >= externs.size())
                return false;
            *sheet = externs[xti].firstSheet;
            range->firstRow = readU16(p + 2);
            range->lastRow = readU16(p + 4);
            range->firstColumn = readU16(p + 6) & 0x00FF;
            range->lastColumn = readU16(p + 8) & 0x00FF;
            return true;
        }
        return false;
    }
    // Excel 95: the sheet index is stored in the token itself; rows carry relative flags.
    if (base == 0x3A && formula.size() == 18) {
        *sheet = readU16(p + 10);
        range->firstRow = range->lastRow = readU16(p + 14) & 0x3FFF;
        range->firstColumn = range->lastColumn = std::uint8_t(p[16]);
        return std::int16_t(readU16(p)) < 0;
    }
    if (base == 0x3B && formula.size() == 21) {
        *sheet = readU16(p + 10);
        range->firstRow = readU16(p + 14) & 0x3FFF;
        range->lastRow = readU16(p + 16) & 0x3FFF;
        range->firstColumn = std::uint8_t(p[18]);
        range->lastColumn = std::uint8_t(p[19]);
        return std::int16_t(readU16(p)) < 0;
    }
    return false;
}

struct RawName {
    QString name;
    int localSheet = -1;
    std::string formula;
};

RawName readName(std::string_view body, BiffVersion version, const CodePageDecoder& decoder)
{
    if (body.size() < 14)
        throwBadRecord(rec::Name, 0);
    const std::uint16_t flags = readU16(body.data());
    const std::uint8_t length = std::uint8_t(body[3]);
    const std::uint16_t formulaLength = readU16(body.data() + 4);
    const std::uint16_t sheetTab = readU16(body.data() + 8);
    RawName name;
    name.localSheet = sheetTab == 0 ? -1 : sheetTab - 1;
    std::size_t pos = 14;
    if (version == BiffVersion::Biff8) {
        if (pos >= body.size())
            throwBadRecord(rec::Name, 0);
        const bool wide = body[pos] & 0x01;
        ++pos;
        const std::size_t bytes = std::size_t(length) * (wide ? 2 : 1);
        if (pos + bytes > body.size())
            throwBadRecord(rec::Name, 0);
        ContinuedReader in({body.substr(pos, bytes)});
        name.name = in.characters(length, wide);
        pos += bytes;
    } else {
        if (pos + length > body.size())
            throwBadRecord(rec::Name, 0);
        name.name = decoder.decode(body.substr(pos, length));
        pos += length;
    }
    if (flags & 0x0020)
        name.name = builtInName(name.name.isEmpty() ? 0xFFFF : name.name.front().unicode());
    if (pos + formulaLength <= body.size())
        name.formula = std::string(body.substr(pos, formulaLength));
    return name;
}

void readSharedStrings(const Record& first, RecordCursor& cursor, WorkbookGlobals& globals)
{
    ContinuedReader in(withContinues(first, cursor));
    globals.stringReferences = in.u32();
    const std::uint32_t unique = in.u32();
    // The count may lie; only the strings actually present are read.
    globals.strings.reserve(std::min<std::size_t>(unique, first.body.size()));
    for (std::uint32_t i = 0; i < unique && !in.atEnd(); ++i) {
        SharedString s;
        const std::uint16_t count = in.u16();
        const std::uint8_t flags = in.u8();
        s.runCount = (flags & 0x08) ? in.u16() : 0;
        const std::uint32_t extension = (flags & 0x04) ? in.u32() : 0;
        s.text = in.characters(count, (flags & 0x01) != 0);
        if (s.runCount)
            s.runs = in.bytes(std::size_t(s.runCount) * 4);
        if (extension)
            s.extension = in.bytes(extension);
        globals.strings.push_back(std::move(s));
    }
}

} // namespace

WorkbookGlobals readGlobals(std::string_view stream)
{
    WorkbookGlobals globals;
    RecordCursor cursor(stream, 0);
    const Record bof = cursor.next();
    if ((bof.type != rec::Bof) || bof.body.size() < 4)
        throw data::Error(QStringLiteral("外部表不是预期的格式。"));
    const std::uint16_t version = readU16(bof.body.data());
    if (version == kBiff8)
        globals.version = BiffVersion::Biff8;
    else if (version == kBiff5)
        globals.version = BiffVersion::Biff5;
    else
        throw data::Error(QStringLiteral("外部表不是预期的格式。"));
    globals.codePage = globals.version == BiffVersion::Biff8 ? 1200 : 1252;
    // Byte strings before any CODEPAGE record read as Western.
    globals.decoder = std::make_shared<CodePageDecoder>(globals.codePage);

    std::vector<ExternSheetRef> externs;
    std::vector<RawName> rawNames;
    bool sawEof = false;
    while (!cursor.atEnd() && !sawEof) {
        const Record r = cursor.next();
        const std::string_view b = r.body;
        switch (r.type) {
        case rec::Eof:
            sawEof = true;
            break;
        case rec::FilePass:
            globals.encrypted = true;
            return globals;
        case rec::CodePage:
            if (b.size() >= 2)
                globals.codePage = readU16(b.data());
            if (globals.version == BiffVersion::Biff5)
                globals.decoder = std::make_shared<CodePageDecoder>(globals.codePage);
            break;
        case rec::DateMode:
            globals.date1904 = b.size() >= 2 && readU16(b.data()) == 1;
            break;
        case rec::BoundSheet: {
            if (b.size() < 7)
                throwBadRecord(r.type, r.offset);
            SheetEntry s;
            s.offset = readU32(b.data());
            s.visibility = std::uint8_t(b[4]) & 0x03;
            s.kind = std::uint8_t(b[5]);
            s.recordOffset = r.offset;
            if (globals.version == BiffVersion::Biff8)
                s.name = readUnicodeString(b, 6, 1);
            else
                s.name = readByteString(b, 6, 1, *globals.decoder);
            globals.sheets.push_back(std::move(s));
            break;
        }
        case rec::Sst:
            readSharedStrings(r, cursor, globals);
            break;
        case rec::Format:
            if (b.size() < 3)
                throwBadRecord(r.type, r.offset);
            globals.styles.addFormat(readU16(b.data()), globals.version == BiffVersion::Biff8
                                                            ? readUnicodeString(b, 2, 2)
                                                            : readByteString(b, 2, 1, *globals.decoder));
            break;
        case rec::Xf:
            if (b.size() < 4)
                throwBadRecord(r.type, r.offset);
            globals.styles.addXf(readU16(b.data() + 2));
            break;
        case rec::ExternSheet:
            if (globals.version == BiffVersion::Biff8 && b.size() >= 2) {
                const std::size_t count = std::min<std::size_t>(readU16(b.data()), (b.size() - 2) / 6);
                for (std::size_t i = 0; i < count; ++i)
                    externs.push_back({readU16(b.data() + 2 + 6 * i + 2)});
            }
            break;
        case rec::Name:
            rawNames.push_back(readName(b, globals.version, *globals.decoder));
            break;
        default:
            break;
        }
    }
    if (!sawEof)
        throw data::Error(QStringLiteral("工作簿流缺少全局部分的结束记录"));
    globals.end = cursor.position();
    globals.styles.finish();

    for (RawName& raw : rawNames) {
        NamedRange named;
        if (!singleRange(raw.formula, globals.version, externs, &named.sheet, &named.range))
            continue;
        if (named.sheet < 0 || named.sheet >= int(globals.sheets.size()) || named.range.isEmpty())
            continue;
        named.name = std::move(raw.name);
        named.localSheet = raw.localSheet < int(globals.sheets.size()) ? raw.localSheet : -1;
        globals.names.push_back(std::move(named));
    }
    return globals;
}

double oleDateFromSerial(double serial, bool date1904)
{
    if (date1904)
        return serial + 1462;
    // The 1900 system counts a 29 February 1900 that never was: serials before it are one short.
    return (serial >= 1 && serial < 60) ? serial + 1 : serial;
}

double serialFromOleDate(double oleDate, bool date1904)
{
    if (date1904)
        return oleDate - 1462;
    return (oleDate >= 2 && oleDate < 61) ? oleDate - 1 : oleDate;
}

} // namespace workbook::xls
