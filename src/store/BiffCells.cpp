// libgsf's headers come before Qt's: glib names members after Qt's keyword macros.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

#include "BiffCells.h"

#include <QFile>
#include <QtEndian>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Larger workbook streams than this are no workbook the program could take in.
constexpr gsf_off_t MaxStreamBytes = gsf_off_t(512) << 20;

struct Unref {
    void operator()(void *object) const { g_object_unref(object); }
};
template <typename T> using Ref = std::unique_ptr<T, Unref>;

// The workbook stream of a compound document, whole; empty when there is none.
std::vector<quint8> workbookStream(const QString &path)
{
    static const bool initialised = [] {
        gsf_init();
        // A damaged document is refused quietly: libgsf's warnings about it are no news.
        const auto quiet = [](const gchar *, GLogLevelFlags, const gchar *, gpointer) {};
        for (const char *domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain, GLogLevelFlags(G_LOG_LEVEL_MASK), quiet, nullptr);
        return true;
    }();
    Q_UNUSED(initialised);
    Ref<GsfInput> file(gsf_input_stdio_new(QFile::encodeName(path).constData(), nullptr));
    if (!file)
        return {};
    Ref<GsfInfile> document(gsf_infile_msole_new(file.get(), nullptr));
    if (!document)
        return {};
    Ref<GsfInput> stream(gsf_infile_child_by_name(document.get(), "Workbook"));
    if (!stream)
        stream.reset(gsf_infile_child_by_name(document.get(), "Book"));
    if (!stream)
        return {};
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size <= 0 || size > MaxStreamBytes)
        return {};
    std::vector<quint8> bytes(static_cast<size_t>(size));
    if (!gsf_input_read(stream.get(), size_t(size), bytes.data()))
        return {};
    return bytes;
}

template <typename T> T field(const quint8 *at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return qFromLittleEndian(value);
}

double rkNumber(quint32 rk)
{
    double number;
    if (rk & 2) {
        number = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&number, &bits, sizeof number);
    }
    return rk & 1 ? number / 100 : number;
}

enum Record : quint16 {
    Bof = 0x0809,
    Eof = 0x000A,
    BoundSheet = 0x0085,
    Number = 0x0203,
    Rk = 0x027E,
    MulRk = 0x00BD,
    BoolErr = 0x0205,
    Formula = 0x0006,
};

// Calls f(type, data, size) for each whole record from offset on, up to an end-of-file
// record or the first record that runs past the stream.
template <typename F> void records(const std::vector<quint8> &stream, size_t offset, F f)
{
    while (offset + 4 <= stream.size()) {
        const quint16 type = field<quint16>(&stream[offset]);
        const quint16 size = field<quint16>(&stream[offset + 2]);
        if (offset + 4 + size > stream.size())
            return;
        if (!f(type, &stream[offset + 4], size) || type == Eof)
            return;
        offset += 4 + size;
    }
}

// Where the first worksheet's records begin: its BOUNDSHEET entry of the workbook globals.
std::optional<size_t> firstWorksheet(const std::vector<quint8> &stream)
{
    std::optional<size_t> at;
    records(stream, 0, [&](quint16 type, const quint8 *data, quint16 size) {
        if (type == BoundSheet && size >= 6 && data[5] == 0) {
            at = field<quint32>(data);
            return false;
        }
        return true;
    });
    return at;
}

void visitSheet(const std::vector<quint8> &stream, size_t offset, const BiffCells::Visitor &visitor)
{
    if (offset + 4 > stream.size() || field<quint16>(&stream[offset]) != Bof)
        return;
    records(stream, offset, [&](quint16 type, const quint8 *data, quint16 size) {
        if (size < 6)
            return true;
        const int row = field<quint16>(data);
        const int column = field<quint16>(data + 2);
        switch (type) {
        case Number:
            if (size >= 14)
                visitor(row, column, {false, false, field<double>(data + 6)});
            break;
        case Rk:
            if (size >= 10)
                visitor(row, column, {false, false, rkNumber(field<quint32>(data + 6))});
            break;
        case MulRk:
            // Row, first column, then six bytes (style, RK value) a column, then the last
            // column.
            for (size_t i = 0; 4 + i * 6 + 6 + 2 <= size; ++i)
                visitor(row, column + int(i),
                        {false, false, rkNumber(field<quint32>(data + 4 + i * 6 + 2))});
            break;
        case BoolErr:
            if (size >= 8 && data[7] == 0)
                visitor(row, column, {true, data[6] != 0, 0});
            break;
        case Formula:
            // The cached result: a number, or a tagged value whose last two bytes are 0xFFFF.
            if (size >= 14 && field<quint16>(data + 12) != 0xFFFF)
                visitor(row, column, {false, false, field<double>(data + 6)});
            else if (size >= 14 && data[6] == 1)
                visitor(row, column, {true, data[8] != 0, 0});
            break;
        default:
            break;
        }
        return true;
    });
}

} // namespace

BiffCells::BiffCells(const QString &path) : m_stream(workbookStream(path)) {}

void BiffCells::visitFirstSheet(const Visitor &visitor) const
{
    if (const auto at = firstWorksheet(m_stream))
        visitSheet(m_stream, *at, visitor);
}
