// The settings file as any bytes: read keys of every section found, then write a key back
// and read it again. A file the user or another program left behind must never crash us.
#include "store/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("GridWidth.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    IniFile ini(path);
    const QString sections[] = {QStringLiteral("Option"), QStringLiteral("X01"),
                                QStringLiteral("x01sub"), QString()};
    for (const QString &section : sections) {
        ini.readString(section, QStringLiteral("BgPic"), QString());
        ini.readBool(section, QStringLiteral("ShowTipOfDay"), true);
        for (int i = 0; i < 4; ++i)
            ini.readInteger(section, QString::number(i), 150);
    }
    if (!ini.writeInteger(QStringLiteral("X01"), QStringLiteral("1"), 77))
        return 0;
    if (IniFile(path).readInteger(QStringLiteral("X01"), QStringLiteral("1"), -1) != 77)
        std::abort(); // a key just written must read back
    return 0;
}
