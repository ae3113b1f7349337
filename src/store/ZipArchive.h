#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class QXmlStreamReader;

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
    // not well formed) throws StoreError(Worksheet::NotAWorkbook). A member that inflates
    // past sizeLimit bytes, holds a run of more than MaxRun bytes without markup (one text
    // or tag the XML reader would have to hold whole) or elements nested more than MaxDepth
    // deep throws StoreError(Worksheet::TooLarge): a small file cannot make the reader hold
    // gigabytes.
    bool parse(const QString &member, const std::function<void(QXmlStreamReader &)> &handler,
               qint64 sizeLimit = DefaultSizeLimit);

    static constexpr qint64 DefaultSizeLimit = qint64(64) << 20;
    static constexpr qint64 MaxRun = qint64(16) << 20;
    static constexpr int MaxDepth = 256;

    // How much of the member a handler is parsing has been inflated, in thousandths.
    static int permilleRead(const QXmlStreamReader &xml);

private:
    void *m_zip; // minizip's unzFile
};
