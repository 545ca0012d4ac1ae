#include "workbook/xls/globals_writer.h"

#include "workbook/xls/biff_records.h"
#include "workbook/xls/byte_order.h"

namespace workbook::xls {
namespace {

// Writes the SST as one record and as many CONTINUE records as it needs, noting for EXTSST
// where every dsst-th string starts.
class SharedStringWriter {
public:
    explicit SharedStringWriter(std::string& out) : out_(out) {}

    void write(const WorkbookGlobals& globals)
    {
        const std::size_t count = globals.strings.size();
        const std::size_t perBucket = std::max<std::size_t>(8, count / 128 + 1);
        std::string head;
        appendU32(head, std::max<std::uint32_t>(globals.stringReferences, std::uint32_t(count)));
        appendU32(head, std::uint32_t(count));
        body_ = head;
        for (std::size_t i = 0; i < count; ++i) {
            const SharedString& s = globals.strings[i];
            const bool wide = std::any_of(s.text.begin(), s.text.end(), [](QChar c) { return c.unicode() > 0xFF; });
            const std::size_t header = 3 + (s.runCount ? 2 : 0) + (s.extension.empty() ? 0 : 4);
            // A string's header and its first character stay in one record.
            if (body_.size() + header + (wide ? 2 : 1) > kMaxRecordBody)
                flush();
            if (i % perBucket == 0)
                buckets_.push_back({out_.size() + 4 + body_.size(), std::uint16_t(4 + body_.size())});
            appendU16(body_, std::uint16_t(s.text.size()));
            body_.push_back(char((wide ? 0x01 : 0) | (s.runCount ? 0x08 : 0) | (s.extension.empty() ? 0 : 0x04)));
            if (s.runCount)
                appendU16(body_, s.runCount);
            if (!s.extension.empty())
                appendU32(body_, std::uint32_t(s.extension.size()));
            writeCharacters(s.text, wide);
            writeBytes(s.runs, 4);
            writeBytes(s.extension, 1);
        }
        flush();
        std::string ext;
        appendU16(ext, std::uint16_t(perBucket));
        for (const Bucket& b : buckets_) {
            appendU32(ext, std::uint32_t(b.streamOffset));
            appendU16(ext, b.recordOffset);
            appendU16(ext, 0);
        }
        appendRecord(out_, rec::ExtSst, ext);
    }

private:
    struct Bucket {
        std::size_t streamOffset;
        std::uint16_t recordOffset;
    };

    void flush()
    {
        appendRecord(out_, first_ ? rec::Sst : rec::Continue, body_);
        first_ = false;
        body_.clear();
    }

    void writeCharacters(const QString& text, bool wide)
    {
        const std::size_t width = wide ? 2 : 1;
        qsizetype done = 0;
        while (done < text.size()) {
            std::size_t room = (kMaxRecordBody - body_.size()) / width;
            if (room == 0) {
                // Characters go on in a CONTINUE record that repeats the width flag.
                flush();
                body_.push_back(wide ? 1 : 0);
                continue;
            }
            const qsizetype take = std::min<qsizetype>(qsizetype(room), text.size() - done);
            for (qsizetype k = done; k < done + take; ++k) {
                if (wide)
                    appendU16(body_, text[k].unicode());
                else
                    body_.push_back(char(text[k].unicode()));
            }
            done += take;
        }
    }

    // Raw bytes that may be split between records, only at multiples of `unit`.
    void writeBytes(const std::string& bytes, std::size_t unit)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            std::size_t room = (kMaxRecordBody - body_.size()) / unit * unit;
            if (room == 0) {
                flush();
                continue;
            }
            const std::size_t take = std::min(room, bytes.size() - done);
            body_.append(bytes, done, take);
            done += take;
        }
    }

    std::string& out_;
    std::string body_;
    bool first_ = true;
    std::vector<Bucket> buckets_;
};

} // namespace

void appendRecord(std::string& out, std::uint16_t type, std::string_view body)
{
    appendU16(out, type);
    appendU16(out, std::uint16_t(body.size()));
    out.append(body);
}

WrittenGlobals writeGlobals(std::string_view stream, const WorkbookGlobals& globals,
                            const std::vector<std::string>& extraXfs)
{
    // Where the last XF record is, so that added styles follow it.
    std::size_t lastXf = 0;
    {
        RecordCursor scan(stream, 0);
        while (scan.position() < globals.end) {
            const Record r = scan.next();
            if (r.type == rec::Xf)
                lastXf = r.offset;
        }
    }

    WrittenGlobals written;
    std::string& out = written.bytes;
    out.reserve(globals.end + globals.strings.size() * 8);
    bool stringsWritten = false;
    auto writeStrings = [&] {
        if (!stringsWritten && !globals.strings.empty())
            SharedStringWriter(out).write(globals);
        stringsWritten = true;
    };
    RecordCursor cursor(stream, 0);
    while (cursor.position() < globals.end) {
        const Record r = cursor.next();
        switch (r.type) {
        case rec::Sst:
            while (cursor.peekType() == rec::Continue)
                cursor.next();
            writeStrings();
            break;
        case rec::ExtSst:
            break;
        case rec::Eof:
            writeStrings();
            appendRecord(out, r.type, r.body);
            break;
        case rec::BoundSheet:
            written.boundSheetPositions.push_back(out.size());
            appendRecord(out, r.type, r.body);
            break;
        default:
            appendRecord(out, r.type, r.body);
            if (r.type == rec::Xf && r.offset == lastXf)
                for (const std::string& xf : extraXfs)
                    appendRecord(out, rec::Xf, xf);
            break;
        }
    }
    return written;
}

} // namespace workbook::xls
