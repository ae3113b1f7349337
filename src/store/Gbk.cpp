#include "Gbk.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace {

QByteArray convert(const char *from, const char *to, const QByteArray &input)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return input;
    std::unique_ptr<void, int (*)(iconv_t)> guard(cd, iconv_close);
    QByteArray output(input.size() * 4 + 16, Qt::Uninitialized);
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = input.size();
    char *out = output.data();
    size_t outLeft = output.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &out, &outLeft) != size_t(-1))
            continue;
        if (errno == E2BIG) {
            const auto used = out - output.data();
            output.resize(output.size() * 2);
            out = output.data() + used;
            outLeft = output.size() - used;
            continue;
        }
        // A byte sequence that is not valid in the source: skip one byte and go on.
        ++in;
        --inLeft;
    }
    output.resize(out - output.data());
    return output;
}

} // namespace

namespace Gbk {

QByteArray encode(const QString &text)
{
    return convert("UTF-8", "GB18030", text.toUtf8());
}

QString decode(const QByteArray &bytes)
{
    return QString::fromUtf8(convert("GB18030", "UTF-8", bytes));
}

} // namespace Gbk
