#include "ZipArchive.h"

#include "StoreError.h"
#include "Worksheet.h"

#include <QFile>
#include <QIODevice>
#include <QXmlStreamReader>
#include <cstring>
#include <unzip.h>

namespace {

// How deeply the elements of a member nest, as far as a scan of its bytes can tell: the XML
// reader keeps every open element, so endless nesting would make it hold gigabytes.
class Nesting {
public:
    // False once elements nest deeper than ZipArchive::MaxDepth.
    bool scan(const char *data, qsizetype size)
    {
        for (qsizetype i = 0; i < size; ++i) {
            const char c = data[i];
            switch (m_state) {
            case State::Text:
                if (c == '<')
                    m_state = State::Markup;
                break;
            case State::Markup:
                m_state = c == '/'               ? State::EndTag
                          : c == '!' || c == '?' ? State::Other
                                                 : State::StartTag;
                break;
            case State::StartTag:
                if (c == '"' || c == '\'') {
                    m_quote = c;
                    m_state = State::Quoted;
                } else if (c == '>') {
                    if (m_previous != '/' && ++m_depth > ZipArchive::MaxDepth)
                        return false;
                    m_state = State::Text;
                }
                break;
            case State::Quoted:
                if (c == m_quote)
                    m_state = State::StartTag;
                break;
            case State::EndTag:
                if (c == '>') {
                    m_depth = qMax(0, m_depth - 1);
                    m_state = State::Text;
                }
                break;
            case State::Other:
                if (c == '>')
                    m_state = State::Text;
                break;
            }
            m_previous = c;
        }
        return true;
    }

private:
    enum class State { Text, Markup, StartTag, Quoted, EndTag, Other };
    State m_state = State::Text;
    char m_quote = 0;
    char m_previous = 0;
    int m_depth = 0;
};

// One member of the archive, inflated as the XML reader asks for more.
class ZipEntry : public QIODevice {
public:
    ZipEntry(unzFile zip, qint64 sizeLimit) : m_zip(zip), m_sizeLimit(sizeLimit)
    {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK)
            m_size = qint64(info.uncompressed_size);
    }
    bool isSequential() const override { return true; }
    bool failed() const { return m_failed; }
    bool tooLarge() const { return m_tooLarge; }
    int permille() const
    {
        return m_size > 0 ? int(qMin<qint64>(m_read * 1000 / m_size, 1000)) : 0;
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const int n = unzReadCurrentFile(m_zip, data, unsigned(qMin<qint64>(maxSize, 1 << 20)));
        if (n < 0) {
            m_failed = true;
            return -1;
        }
        m_read += n;
        const void *markup = memrchr(data, '<', size_t(n));
        m_run = markup ? data + n - static_cast<const char *>(markup) - 1 : m_run + n;
        if (m_read > m_sizeLimit || m_run > ZipArchive::MaxRun || !m_nesting.scan(data, n)) {
            m_failed = m_tooLarge = true;
            return -1;
        }
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_sizeLimit;
    bool m_failed = false;
    bool m_tooLarge = false;
    qint64 m_read = 0;
    qint64 m_size = 0;
    qint64 m_run = 0; // bytes since the last markup
    Nesting m_nesting;
};

} // namespace

ZipArchive::ZipArchive(const QString &path) : m_zip(unzOpen64(QFile::encodeName(path).constData()))
{
}

ZipArchive::~ZipArchive()
{
    if (m_zip)
        unzClose(m_zip);
}

bool ZipArchive::parse(const QString &member,
                       const std::function<void(QXmlStreamReader &)> &handler, qint64 sizeLimit)
{
    const QByteArray name = member.toUtf8();
    if (unzLocateFile(m_zip, name.constData(), 2) != UNZ_OK)
        return false;
    if (unzOpenCurrentFile(m_zip) != UNZ_OK)
        throw StoreError(Worksheet::NotAWorkbook);
    ZipEntry entry(m_zip, sizeLimit);
    entry.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&entry);
    try {
        handler(xml);
        // Reading to the end lets minizip check the member's checksum on closing.
        while (!xml.atEnd())
            xml.readNext();
    } catch (const StoreError &) {
        // What was cut short for its size may look damaged to the handler.
        if (entry.tooLarge())
            throw StoreError(Worksheet::TooLarge);
        throw;
    }
    if (entry.tooLarge())
        throw StoreError(Worksheet::TooLarge);
    const bool damaged = xml.hasError() || entry.failed();
    if (unzCloseCurrentFile(m_zip) != UNZ_OK || damaged)
        throw StoreError(Worksheet::NotAWorkbook);
    return true;
}

int ZipArchive::permilleRead(const QXmlStreamReader &xml)
{
    return static_cast<const ZipEntry *>(xml.device())->permille();
}
