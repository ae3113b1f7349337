#include "ZipArchive.h"

#include "StoreError.h"
#include "Worksheet.h"

#include <QFile>
#include <cstring>
#include <exception>
#include <expat.h>
#include <memory>
#include <unzip.h>

namespace {

// A name without its prefix: "x:c" is "c". Each workbook part draws its elements from one
// vocabulary, so the local name alone tells them apart without namespace processing.
std::string_view localName(const char *name)
{
    const char *colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

// What the callbacks share while one member is parsed.
struct Parse {
    XML_Parser parser;
    XmlHandler &handler;
    int depth = 0;
    bool tooDeep = false;
    std::exception_ptr thrown;

    void stop() { XML_StopParser(parser, XML_FALSE); }

    // Runs a handler call; what it throws stops the parse and is kept for the caller.
    template <typename Call> void guarded(Call &&call)
    {
        try {
            call();
        } catch (...) {
            thrown = std::current_exception();
            stop();
        }
    }
};

void XMLCALL onStart(void *data, const XML_Char *name, const XML_Char **attributes)
{
    auto *parse = static_cast<Parse *>(data);
    // The parser keeps every open element: endless nesting would make it hold gigabytes.
    if (++parse->depth > ZipArchive::MaxDepth) {
        parse->tooDeep = true;
        parse->stop();
        return;
    }
    parse->guarded([&] { parse->handler.startElement(localName(name), attributes); });
}

void XMLCALL onEnd(void *data, const XML_Char *name)
{
    auto *parse = static_cast<Parse *>(data);
    --parse->depth;
    parse->guarded([&] { parse->handler.endElement(localName(name)); });
}

void XMLCALL onCharacters(void *data, const XML_Char *text, int length)
{
    auto *parse = static_cast<Parse *>(data);
    parse->guarded([&] { parse->handler.characters(std::string_view(text, size_t(length))); });
}

// A workbook's parts declare no document type; one that does could define entities that
// expand without end.
void XMLCALL onDoctype(void *data, const XML_Char *, const XML_Char *, const XML_Char *, int)
{
    static_cast<Parse *>(data)->stop();
}

struct ParserFree {
    void operator()(XML_ParserStruct *parser) const { XML_ParserFree(parser); }
};

constexpr int ChunkBytes = 256 << 10;

} // namespace

std::string_view XmlHandler::attribute(const char **attributes, std::string_view name)
{
    for (; *attributes; attributes += 2)
        if (std::strncmp(attributes[0], name.data(), name.size()) == 0 &&
            attributes[0][name.size()] == 0)
            return attributes[1];
    return {};
}

ZipArchive::ZipArchive(const QString &path) : m_zip(unzOpen64(QFile::encodeName(path).constData()))
{
}

ZipArchive::~ZipArchive()
{
    if (m_zip)
        unzClose(m_zip);
}

bool ZipArchive::inflate(const QString &member, qint64 sizeLimit,
                         const std::function<char *(int size)> &bufferFor,
                         const std::function<void(int size, bool last)> &take)
{
    const QByteArray name = member.toUtf8();
    if (unzLocateFile(m_zip, name.constData(), 2) != UNZ_OK)
        return false;
    if (unzOpenCurrentFile(m_zip) != UNZ_OK)
        throw StoreError(Worksheet::NotAWorkbook);
    unz_file_info64 info;
    m_size = unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK
                 ? qint64(info.uncompressed_size)
                 : 0;
    m_read = 0;
    for (;;) {
        char *buffer = bufferFor(ChunkBytes);
        const int n = unzReadCurrentFile(m_zip, buffer, ChunkBytes);
        if (n < 0)
            throw StoreError(Worksheet::NotAWorkbook);
        m_read += n;
        if (m_read > sizeLimit)
            throw StoreError(Worksheet::TooLarge);
        take(n, n == 0);
        if (n == 0)
            break;
    }
    // Closing checks the member's checksum, now that all of it has been read.
    if (unzCloseCurrentFile(m_zip) != UNZ_OK)
        throw StoreError(Worksheet::NotAWorkbook);
    return true;
}

bool ZipArchive::parse(const QString &member, XmlHandler &handler, qint64 sizeLimit)
{
    const std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate(nullptr));
    if (!parser)
        throw StoreError(Worksheet::TooLarge);
    Parse state{parser.get(), handler, 0, false, {}};
    XML_SetUserData(parser.get(), &state);
    XML_SetElementHandler(parser.get(), onStart, onEnd);
    XML_SetCharacterDataHandler(parser.get(), onCharacters);
    XML_SetStartDoctypeDeclHandler(parser.get(), onDoctype);

    char *buffer = nullptr;
    qint64 run = 0; // bytes since the last markup
    const auto bufferFor = [&](int size) {
        buffer = static_cast<char *>(XML_GetBuffer(parser.get(), size));
        if (!buffer)
            throw StoreError(Worksheet::TooLarge);
        return buffer;
    };
    const auto take = [&](int n, bool last) {
        const void *markup = memrchr(buffer, '<', size_t(n));
        run = markup ? buffer + n - static_cast<const char *>(markup) - 1 : run + n;
        if (run > MaxRun)
            throw StoreError(Worksheet::TooLarge);
        if (XML_ParseBuffer(parser.get(), n, last) != XML_STATUS_OK) {
            if (state.thrown)
                std::rethrow_exception(state.thrown);
            if (state.tooDeep)
                throw StoreError(Worksheet::TooLarge);
            throw StoreError(Worksheet::NotAWorkbook);
        }
    };
    return inflate(member, sizeLimit, bufferFor, take);
}

int ZipArchive::permilleRead() const
{
    return m_size > 0 ? int(qMin<qint64>(m_read * 1000 / m_size, 1000)) : 0;
}
