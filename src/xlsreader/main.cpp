// quillet-xls-reader FILE: reads the first worksheet of a legacy .xls workbook and writes it
// to standard output as a SheetStream. The program runs it for every .xls it reads, so that
// a damaged file can at worst end this process, never the program.
#include "store/SheetStream.h"
#include "store/StoreError.h"
#include "store/XlsParser.h"

#include <QFile>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 3;
    SheetStream::Writer writer(out);
    try {
        const Worksheet sheet = XlsParser::readFirstSheet(
            QFile::decodeName(argv[1]), [&writer](int permille) { writer.progress(permille); });
        writer.sheet(sheet);
    } catch (const StoreError &e) {
        writer.refusal(e.message());
    }
    return 0;
}
