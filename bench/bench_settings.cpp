// The settings file with one 100 MB line in it: reading what start-up reads, what opening a
// form kind reads (twelve widths and the copies), and writing one width back.
#include "store/IniFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("GridWidth.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("[Option]\r\nShowTipOfDay=0\r\nBgStretch=1\r\ncopies=2\r\n[X01]\r\n");
        for (int i = 0; i < 12; ++i)
            file.write(QByteArray::number(i) + "=88\r\n");
        file.write("junk=");
        const QByteArray block(1 << 20, 'x');
        for (int i = 0; i < 100; ++i)
            file.write(block);
        file.write("\r\n[X01sub]\r\n0=60\r\n");
    }
    QElapsedTimer timer;
    const auto report = [&timer](const char *what) {
        std::printf("%-28s %8.3f s\n", what, timer.nsecsElapsed() / 1e9);
        timer.restart();
    };
    timer.start();
    {
        IniFile ini(path);
        ini.readBool(QStringLiteral("Option"), QStringLiteral("ShowTipOfDay"), true);
        ini.readString(QStringLiteral("Option"), QStringLiteral("BgPic"), QString());
        ini.readBool(QStringLiteral("Option"), QStringLiteral("BgStretch"), false);
    }
    report("start-up options (3 keys)");
    {
        IniFile ini(path);
        for (int i = 0; i < 12; ++i)
            ini.readInteger(QStringLiteral("X01"), QString::number(i), 150);
        ini.readString(QStringLiteral("Option"), QStringLiteral("copies"), QStringLiteral("1"));
    }
    report("opening a kind (13 keys)");
    {
        IniFile ini(path);
        ini.writeInteger(QStringLiteral("X01"), QStringLiteral("0"), 90);
    }
    report("writing one width");
    return 0;
}
