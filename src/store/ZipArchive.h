#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <string_view>

// What a member's XML tells its reader, element by element, as expat parses it. Element
// names are local names, without their prefix. Attributes come as expat gives them: name,
// value, name, value..., ending with a null; their names keep any prefix ("r:id").
// A handler may throw: the parse stops and the exception goes on to parse()'s caller.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view name, const char **attributes) = 0;
    virtual void endElement(std::string_view) {}
    // Text of an element, in pieces of any size, UTF-8.
    virtual void characters(std::string_view) {}

    // The value of an attribute outside any namespace; empty when it is missing.
    static std::string_view attribute(const char **attributes, std::string_view name);
};

// A zip archive read with minizip, as an .xlsx workbook is: its members are parsed as XML
// while they inflate, so a large member is never held whole.
class ZipArchive {
public:
    explicit ZipArchive(const QString &path);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // False when the file is no zip archive, or a damaged one.
    bool isOpen() const { return m_zip != nullptr; }

    // Runs the handler over a member's XML (its name compared without regard to case); false
    // when there is no such member. A damaged member (bad data, a bad checksum, XML that is
    // not well formed or declares a document type) throws StoreError(Worksheet::NotAWorkbook).
    // A member that inflates past sizeLimit bytes, holds a run of more than MaxRun bytes
    // without markup (one text or tag the parser would have to hold whole) or elements nested
    // more than MaxDepth deep throws StoreError(Worksheet::TooLarge): a small file cannot make
    // the reader hold gigabytes.
    bool parse(const QString &member, XmlHandler &handler, qint64 sizeLimit = DefaultSizeLimit);

    // Inflates a member piece by piece, each into the buffer bufferFor gives (of the size it
    // asks for), then hands its size to take; the last piece is empty. False when there is no
    // such member; a damaged member throws StoreError(Worksheet::NotAWorkbook), one that
    // inflates past sizeLimit StoreError(Worksheet::TooLarge). What the callbacks throw goes on
    // to the caller.
    bool inflate(const QString &member, qint64 sizeLimit,
                 const std::function<char *(int size)> &bufferFor,
                 const std::function<void(int size, bool last)> &take);

    static constexpr qint64 DefaultSizeLimit = qint64(64) << 20;
    static constexpr qint64 MaxRun = qint64(16) << 20;
    static constexpr int MaxDepth = 256;

    // How much of the member being parsed has been inflated, in thousandths.
    int permilleRead() const;

private:
    void *m_zip; // minizip's unzFile
    qint64 m_read = 0;
    qint64 m_size = 0;
};
