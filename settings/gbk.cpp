#include "settings/data_set_settings.h"

#include "data/error.h"

#include <QList>

#include <cerrno>
#include <iconv.h>

namespace settings {
namespace {

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from))
    {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw data::Error(QStringLiteral("the conversion from %1 to %2 is not available")
                                  .arg(QLatin1String(from), QLatin1String(to)));
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as far as it can. Returns the offset in `input` where it stopped: input.size()
    // when all of it was converted, else the start of the sequence it could not take.
    qsizetype convert(QByteArrayView input, QByteArray& output)
    {
        char* in = const_cast<char*>(input.data());
        size_t inLeft = static_cast<size_t>(input.size());
        char buffer[1024];
        while (inLeft > 0) {
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, out - buffer);
            if (result == static_cast<size_t>(-1) && errno != E2BIG)
                break;
        }
        return input.size() - static_cast<qsizetype>(inLeft);
    }

private:
    iconv_t handle_;
};

} // namespace

QString fromGbk(const QByteArray& bytes)
{
    // Plain values can hold any bytes; what is not GBK becomes U+FFFD, one per byte, and reading
    // goes on, since reading settings never fails on their content.
    Converter converter("UTF-8", "GBK");
    QByteArray utf8;
    QByteArrayView rest(bytes);
    while (!rest.isEmpty()) {
        const qsizetype done = converter.convert(rest, utf8);
        if (done == rest.size())
            break;
        utf8.append("\xEF\xBF\xBD");
        rest = rest.sliced(done + 1);
    }
    return QString::fromUtf8(utf8);
}

QByteArray toGbk(const QString& text)
{
    Converter converter("GBK", "UTF-8");
    const QByteArray utf8 = text.toUtf8();
    QByteArray gbk;
    const qsizetype done = converter.convert(utf8, gbk);
    if (done < utf8.size()) {
        const char32_t code = QString::fromUtf8(utf8.sliced(done)).toUcs4().value(0, U'\uFFFD');
        throw data::Error(QStringLiteral("the character '%1' (U+%2) has no GBK code")
                              .arg(QString::fromUcs4(&code, 1),
                                   QString::number(static_cast<uint>(code), 16).rightJustified(4, u'0').toUpper()));
    }
    return gbk;
}

} // namespace settings
