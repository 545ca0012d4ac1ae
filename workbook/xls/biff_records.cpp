#include "workbook/xls/biff_records.h"

#include "data/error.h"
#include "workbook/xls/byte_order.h"

namespace workbook::xls {

void throwBadRecord(std::uint16_t type, std::size_t offset)
{
    throw data::Error(QStringLiteral("记录 0x%1（位置 %2）的内容不完整")
                          .arg(type, 4, 16, QLatin1Char('0'))
                          .arg(offset));
}

RecordCursor::RecordCursor(std::string_view stream, std::size_t start) : stream_(stream), pos_(start) {}

Record RecordCursor::next()
{
    if (pos_ + 4 > stream_.size())
        throw data::Error(QStringLiteral("工作簿流在位置 %1 处被截断").arg(pos_));
    Record r;
    r.offset = pos_;
    r.type = readU16(stream_.data() + pos_);
    const std::uint16_t length = readU16(stream_.data() + pos_ + 2);
    if (pos_ + 4 + length > stream_.size())
        throw data::Error(QStringLiteral("记录 0x%1（位置 %2）的长度超出工作簿流")
                              .arg(r.type, 4, 16, QLatin1Char('0'))
                              .arg(pos_));
    r.body = stream_.substr(pos_ + 4, length);
    pos_ += 4 + length;
    return r;
}

std::uint16_t RecordCursor::peekType() const
{
    return pos_ + 4 <= stream_.size() ? readU16(stream_.data() + pos_) : 0;
}

std::vector<std::string_view> withContinues(const Record& first, RecordCursor& cursor)
{
    std::vector<std::string_view> pieces{first.body};
    while (cursor.peekType() == rec::Continue)
        pieces.push_back(cursor.next().body);
    return pieces;
}

bool ContinuedReader::atEnd() const
{
    for (std::size_t p = piece_; p < pieces_.size(); ++p)
        if ((p == piece_ ? pos_ : 0) < pieces_[p].size())
            return false;
    return true;
}

void ContinuedReader::ensure()
{
    while (piece_ < pieces_.size() && pos_ >= pieces_[piece_].size()) {
        ++piece_;
        pos_ = 0;
    }
    if (piece_ >= pieces_.size())
        throw data::Error(QStringLiteral("记录内容比其声明的长度短"));
}

std::uint8_t ContinuedReader::u8()
{
    ensure();
    return std::uint8_t(pieces_[piece_][pos_++]);
}

std::uint16_t ContinuedReader::u16()
{
    const std::uint16_t lo = u8();
    return std::uint16_t(lo | (u8() << 8));
}

std::uint32_t ContinuedReader::u32()
{
    const std::uint32_t lo = u16();
    return lo | (std::uint32_t(u16()) << 16);
}

void ContinuedReader::skip(std::size_t n)
{
    while (n > 0) {
        ensure();
        const std::size_t take = std::min(n, pieces_[piece_].size() - pos_);
        pos_ += take;
        n -= take;
    }
}

std::string ContinuedReader::bytes(std::size_t n)
{
    std::string out;
    while (out.size() < n) {
        ensure();
        const std::size_t take = std::min(n - out.size(), pieces_[piece_].size() - pos_);
        out.append(pieces_[piece_].data() + pos_, take);
        pos_ += take;
    }
    return out;
}

QString ContinuedReader::characters(std::size_t count, bool wide)
{
    QString out;
    out.reserve(int(std::min<std::size_t>(count, 65535)));
    while (std::size_t(out.size()) < count) {
        if (piece_ < pieces_.size() && pos_ >= pieces_[piece_].size()) {
            // A new piece in the middle of the characters starts with its own flag byte.
            ensure();
            wide = (u8() & 0x01) != 0;
            continue;
        }
        ensure();
        const std::string_view piece = pieces_[piece_];
        const std::size_t width = wide ? 2 : 1;
        std::size_t available = (piece.size() - pos_) / width;
        if (available == 0)
            throw data::Error(QStringLiteral("字符串在记录边界处被截断"));
        const std::size_t take = std::min<std::size_t>(count - std::size_t(out.size()), available);
        const char* p = piece.data() + pos_;
        if (wide) {
            for (std::size_t i = 0; i < take; ++i)
                out.append(QChar(readU16(p + 2 * i)));
        } else {
            for (std::size_t i = 0; i < take; ++i)
                out.append(QChar(char16_t(static_cast<unsigned char>(p[i]))));
        }
        pos_ += take * width;
    }
    return out;
}

} // namespace workbook::xls
