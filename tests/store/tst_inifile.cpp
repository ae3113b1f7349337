#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"

#include "store/Gbk.h"
#include "store/IniFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The settings file must read files other programs wrote in the Chinese code page, and
// what it writes must read back in those programs.
class TestIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Runs Python's configparser; the script gets the file path as sys.argv[1].
    static QString python(const QString &script, const QString &file)
    {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, file});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            qFatal("python failed: %s", p.readAllStandardError().constData());
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

private Q_SLOTS:
    void missingFileReadsDefaults()
    {
        IniFile ini(path("absent.ini"));
        QVERIFY(!ini.exists());
        QCOMPARE(ini.readString("Option", "BgPic", "无"), QString("无"));
        QCOMPARE(ini.readInteger("X01", "0", 150), 150);
        QCOMPARE(ini.readBool("Option", "ShowTipOfDay", true), true);
        QVERIFY(!QFile::exists(path("absent.ini")));
    }

    void readsFileWrittenByConfigparser_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("intDefault");
        QTest::addColumn<int>("expectedInt");
        QTest::addColumn<bool>("boolDefault");
        QTest::addColumn<bool>("expectedBool");
        // value in file:            decimal, hex, zero, text, negative, missing
        QTest::newRow("decimal") << "X01"
                                 << "0" << 150 << 88 << false << true;
        QTest::newRow("hex") << "X01"
                             << "1" << 150 << 0x1F << false << true;
        QTest::newRow("zero") << "Option"
                              << "ShowTipOfDay" << 7 << 0 << true << false;
        QTest::newRow("unparsable") << "Option"
                                    << "BgStretch" << 7 << 7 << true << true;
        QTest::newRow("unparsable false default") << "Option"
                                                  << "BgStretch" << 0 << 0 << false << false;
        QTest::newRow("negative") << "Option"
                                  << "copies" << 1 << -3 << false << true;
        QTest::newRow("missing key") << "X01"
                                     << "9" << 150 << 150 << true << true;
        QTest::newRow("section case") << "x01"
                                      << "0" << 150 << 88 << false << true;
    }
    void readsFileWrittenByConfigparser()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(int, intDefault);
        QFETCH(int, expectedInt);
        QFETCH(bool, boolDefault);
        QFETCH(bool, expectedBool);
        const QString file = path("python.ini");
        python(QStringLiteral("import configparser,sys\n"
                              "c=configparser.ConfigParser(); c.optionxform=str\n"
                              "c['Option']={'ShowTipOfDay':'0','BgStretch':'是','copies':'-3',"
                              "'BgPic':'/图片/表单.jpg'}\n"
                              "c['X01']={'0':'88','1':'0x1F'}\n"
                              "c.write(open(sys.argv[1],'w',encoding='gbk'))\n"),
               file);
        IniFile ini(file);
        QCOMPARE(ini.readInteger(section, key, intDefault), expectedInt);
        QCOMPARE(ini.readBool(section, key, boolDefault), expectedBool);
        QCOMPARE(ini.readString("Option", "BgPic", QString()), QString("/图片/表单.jpg"));
    }

    void writesGbkThatAnotherProgramReads()
    {
        const QString file = path("written.ini");
        IniFile ini(file);
        QVERIFY(ini.writeString("Option", "BgPic", "/家/背景.bmp"));
        QVERIFY(ini.exists());
        QVERIFY(ini.writeInteger("X01", "0", 120));
        QVERIFY(ini.writeBool("Option", "BgStretch", true));
        QVERIFY(ini.writeInteger("X01", "0", 95)); // replaced, not added twice
        QVERIFY(ini.writeInteger("X01sub", "1", 60));
        const QString read = python(
            QStringLiteral("import configparser,sys\n"
                           "c=configparser.ConfigParser(); c.optionxform=str\n"
                           "c.read(sys.argv[1],encoding='gbk')\n"
                           "print(c['Option']['BgPic'],c['Option']['BgStretch'],c['X01']['0'],"
                           "c['X01sub']['1'],len(c['X01']))\n"),
            file);
        QCOMPARE(read, QString("/家/背景.bmp 1 95 60 1"));
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.readAll().contains(QByteArray("\xbc\xd2", 2))); // 家 in GBK
    }

    void failedWriteKeepsTheOldFile()
    {
        const QString file = path("full.ini");
        IniFile ini(file);
        QVERIFY(ini.writeValues("X01", {{"0", "88"}, {"1", "120"}, {"2", "64"}}));
        const QByteArray before = contentOf(file);
        QCOMPARE(before, QByteArray("[X01]\n0=88\n1=120\n2=64\n"));
        {
            FileSizeLimit full(8); // the new file cannot get past its first line
            QVERIFY(!ini.writeInteger("X01", "3", 150));
            QVERIFY(!ini.errorString().isEmpty());
        }
        QCOMPARE(contentOf(file), before);
        QCOMPARE(QDir(m_dir.path()).entryList({"full.ini*"}, QDir::Files), QStringList{"full.ini"});
        QCOMPARE(IniFile(file).readInteger("X01", "3", -1), -1);
        QVERIFY(ini.writeInteger("X01", "3", 150)); // room again: the write goes through
        QCOMPARE(IniFile(file).readInteger("X01", "3", -1), 150);
        QVERIFY(ini.errorString().isEmpty());
    }

    void hugeLineIsSkippedOtherKeysStay()
    {
        const QString file = path("huge.ini");
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("[X01]\r\n0=88\r\n1=");
            out.write(QByteArray(IniFile::MaxLineBytes * 3, '7'));
            out.write("\r\n2=77\r\n[Option]\r\ncopies=3\r\n");
        }
        IniFile ini(file);
        QCOMPARE(ini.readInteger("X01", "0", 150), 88);
        QCOMPARE(ini.readString("X01", "1", "无"), QString("无"));
        QCOMPARE(ini.readInteger("X01", "2", 150), 77);
        QCOMPARE(ini.readInteger("Option", "copies", 1), 3);
        // Written back, the file loses the huge line and keeps every setting.
        QVERIFY(ini.writeInteger("X01", "4", 60));
        QCOMPARE(contentOf(file), QByteArray("[X01]\n0=88\n2=77\n4=60\n[Option]\ncopies=3\n"));
    }

    void readsAgainWhenAnotherWriterChangedTheFile()
    {
        const QString file = path("shared.ini");
        IniFile reader(file);
        QCOMPARE(reader.readInteger("Option", "copies", 1), 1);
        IniFile(file).writeInteger("Option", "copies", 2);
        QCOMPARE(reader.readInteger("Option", "copies", 1), 2);
        IniFile(file).writeInteger("Option", "copies", 3); // same size, same instant maybe
        QCOMPARE(reader.readInteger("Option", "copies", 1), 3);
        QFile::remove(file);
        QCOMPARE(reader.readInteger("Option", "copies", 1), 1);
    }

    void firstOfDuplicateKeysIsRead()
    {
        const QString file = path("duplicates.ini");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("0=5\n[X01]\n0=88\n0=99\n[x01]\n0=77\n1=66\n");
        out.close();
        IniFile ini(file);
        QCOMPARE(ini.readInteger("X01", "0", 150), 88);
        QCOMPARE(ini.readInteger("X01", "1", 150), 66);
        QCOMPARE(ini.readInteger("", "0", 150), 150); // above every section: no key of any
    }

    void gbkRoundTripsCharactersOutsideGbk()
    {
        const QString text = QStringLiteral("套打 😀 €");
        QCOMPARE(Gbk::decode(Gbk::encode(text)), text);
        QCOMPARE(Gbk::encode(QStringLiteral("套打")), QByteArray("\xcc\xd7\xb4\xf2"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
