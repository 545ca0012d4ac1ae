#include "workbook/xls/sheet_reader.h"

#include "data/error.h"
#include "workbook/xls/biff_records.h"
#include "workbook/xls/biff_strings.h"
#include "workbook/xls/byte_order.h"
#include "workbook/xls/code_page.h"

namespace workbook::xls {
namespace {

constexpr int kBiffColumns = 256;

class CellDecoder {
public:
    CellDecoder(const WorkbookGlobals& globals, CellSink& sink) : globals_(globals), sink_(sink) {}

    void number(const Record& r, std::uint16_t row, std::uint16_t column, std::uint16_t xf, double value)
    {
        check(r, column);
        if (globals_.styles.isDate(xf))
            sink_.cell(row, column, data::Value::dateTime(oleDateFromSerial(value, globals_.date1904)));
        else
            sink_.cell(row, column, data::Value::number(value));
    }

    void text(const Record& r, std::uint16_t column, std::uint16_t row, QString value)
    {
        check(r, column);
        sink_.cell(row, column, data::Value::text(std::move(value)));
    }

    void other(const Record& r, std::uint16_t row, std::uint16_t column, data::Value value)
    {
        check(r, column);
        sink_.cell(row, column, std::move(value));
    }

private:
    static void check(const Record& r, std::uint16_t column)
    {
        if (column >= kBiffColumns)
            throw data::Error(QStringLiteral("记录 0x%1（位置 %2）的列号 %3 超出工作表范围")
                                  .arg(r.type, 4, 16, QLatin1Char('0'))
                                  .arg(r.offset)
                                  .arg(column));
    }

    const WorkbookGlobals& globals_;
    CellSink& sink_;
};

QString readInlineString(std::string_view body, std::size_t offset, const WorkbookGlobals& g)
{
    return g.version == BiffVersion::Biff8 ? readUnicodeString(body, offset, 2)
                                           : readByteString(body, offset, 2, *g.decoder);
}

} // namespace

double rkValue(std::uint32_t rk)
{
    double value;
    if (rk & 0x02) {
        value = double(std::int32_t(rk) >> 2);
    } else {
        const std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

QString errorText(std::uint8_t code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    case 0x2A: return QStringLiteral("#N/A");
    case 0x2B: return QStringLiteral("#GETTING_DATA");
    default: return QStringLiteral("#ERR%1").arg(code);
    }
}

void readSheetCells(std::string_view stream, std::size_t offset, const WorkbookGlobals& g, CellSink& sink)
{
    if (offset >= stream.size())
        throw data::Error(QStringLiteral("工作表的起始位置 %1 超出工作簿流").arg(offset));
    RecordCursor cursor(stream, offset);
    const Record bof = cursor.next();
    if (bof.type != rec::Bof)
        throw data::Error(QStringLiteral("工作表的起始位置 %1 处没有工作表").arg(offset));
    CellDecoder cells(g, sink);
    int depth = 1; // embedded charts bring BOF/EOF pairs of their own
    while (!cursor.atEnd()) {
        const Record r = cursor.next();
        const std::string_view b = r.body;
        auto need = [&](std::size_t n) {
            if (b.size() < n)
                throwBadRecord(r.type, r.offset);
        };
        if (r.type == rec::Bof) {
            ++depth;
            continue;
        }
        if (r.type == rec::Eof) {
            if (--depth == 0)
                return;
            continue;
        }
        if (depth > 1)
            continue;
        switch (r.type) {
        case rec::Number:
            need(14);
            cells.number(r, readU16(b.data()), readU16(b.data() + 2), readU16(b.data() + 4), readF64(b.data() + 6));
            break;
        case rec::Rk:
            need(10);
            cells.number(r, readU16(b.data()), readU16(b.data() + 2), readU16(b.data() + 4),
                         rkValue(readU32(b.data() + 6)));
            break;
        case rec::MulRk: {
            need(6);
            const std::uint16_t row = readU16(b.data());
            const std::uint16_t first = readU16(b.data() + 2);
            const std::size_t count = (b.size() - 6) / 6;
            const std::uint16_t last = readU16(b.data() + b.size() - 2);
            if (last < first || std::size_t(last - first + 1) != count)
                throwBadRecord(r.type, r.offset);
            for (std::size_t i = 0; i < count; ++i) {
                const char* p = b.data() + 4 + 6 * i;
                cells.number(r, row, std::uint16_t(first + i), readU16(p), rkValue(readU32(p + 2)));
            }
            break;
        }
        case rec::LabelSst: {
            need(10);
            const std::uint32_t index = readU32(b.data() + 6);
            if (index >= g.strings.size())
                throw data::Error(QStringLiteral("单元格引用了不存在的共享字符串 %1").arg(index));
            cells.text(r, readU16(b.data() + 2), readU16(b.data()), g.strings[index].text);
            break;
        }
        case rec::Label:
        case rec::RString:
            need(8);
            cells.text(r, readU16(b.data() + 2), readU16(b.data()), readInlineString(b, 6, g));
            break;
        case rec::BoolErr: {
            need(8);
            const std::uint8_t v = std::uint8_t(b[6]);
            cells.other(r, readU16(b.data()), readU16(b.data() + 2),
                        b[7] ? data::Value::error(errorText(v)) : data::Value::boolean(v != 0));
            break;
        }
        case rec::Formula: {
            need(20);
            const std::uint16_t row = readU16(b.data());
            const std::uint16_t column = readU16(b.data() + 2);
            const std::uint16_t xf = readU16(b.data() + 4);
            const char* result = b.data() + 6;
            if (readU16(result + 6) != 0xFFFF) {
                cells.number(r, row, column, xf, readF64(result));
                break;
            }
            switch (std::uint8_t(result[0])) {
            case 0: { // text: the STRING record that follows holds it
                while (!cursor.atEnd() && (cursor.peekType() == rec::ShrFmla || cursor.peekType() == rec::Array
                                           || cursor.peekType() == rec::Table))
                    cursor.next();
                if (cursor.peekType() != rec::String)
                    break;
                const Record s = cursor.next();
                if (g.version == BiffVersion::Biff8) {
                    ContinuedReader in(withContinues(s, cursor));
                    cells.text(r, column, row, readUnicodeString(in, 2));
                } else {
                    cells.text(r, column, row, readByteString(s.body, 0, 2, *g.decoder));
                }
                break;
            }
            case 1:
                cells.other(r, row, column, data::Value::boolean(result[2] != 0));
                break;
            case 2:
                cells.other(r, row, column, data::Value::error(errorText(std::uint8_t(result[2]))));
                break;
            case 3:
                cells.text(r, column, row, QString());
                break;
            default:
                break;
            }
            break;
        }
        default:
            break;
        }
    }
    throw data::Error(QStringLiteral("工作表缺少结束记录"));
}

} // namespace workbook::xls
