#include <QTest>

#include "comms/transfer/FileHeader.h"

// The file description of Ymodem block 0 and of the Zmodem ZFILE
// subpacket: one reading for both, as lrzsz and other senders write them.
class FileHeaderTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("time");
        QTest::addColumn<int>("mode");
        const QByteArray pad(100, '\0');
        const auto row = [](const char *text, int length) { return QByteArray(text, length); };
        QTest::newRow("ymodem, all fields")
            << row("dir/f.bin\0001234 14524770400 100644 0\0", 36) + pad << QStringLiteral("dir/f.bin")
            << qint64(1234) << qint64(1700000000) << 0644;
        QTest::newRow("zmodem, as sz sends it")
            << row("f.bin\00077 14524770400 100755 0 1 77\0", 35) << QStringLiteral("f.bin") << qint64(77)
            << qint64(1700000000) << 0755;
        QTest::newRow("size only") << row("f\00077\0", 5) + pad << QStringLiteral("f") << qint64(77)
                                   << qint64(-1) << -1;
        QTest::newRow("name only") << row("f\0", 2) + pad << QStringLiteral("f") << qint64(-1) << qint64(-1)
                                   << -1;
        QTest::newRow("unknown time and mode as 0")
            << row("f\0005 0 0 0 0 0\0", 15) << QStringLiteral("f") << qint64(5) << qint64(-1) << -1;
        QTest::newRow("mode without permissions")
            << row("f\0005 1 100000\0", 14) << QStringLiteral("f") << qint64(5) << qint64(1) << -1;
        QTest::newRow("end of batch") << QByteArray(128, '\0') << QString() << qint64(-1) << qint64(-1) << -1;
        QTest::newRow("bad numbers") << row("f\0-5 9x zz\0", 11) + pad << QStringLiteral("f") << qint64(-1)
                                     << qint64(-1) << -1;
        QTest::newRow("no terminator")
            << QByteArray(128, 'a') << QString(128, 'a') << qint64(-1) << qint64(-1) << -1;
        QTest::newRow("extra spaces")
            << row("f\0  12   0\0", 11) + pad << QStringLiteral("f") << qint64(12) << qint64(-1) << -1;
        QTest::newRow("utf-8 name") << row("gr\xc3\xbc\xc3\x9f.txt\0003\0", 14) << QStringLiteral("grüß.txt")
                                    << qint64(3) << qint64(-1) << -1;
        QTest::newRow("latin-1 name")
            << row("caf\xe9\0003\0", 7) << QStringLiteral("café") << qint64(3) << qint64(-1) << -1;
    }
    void parse()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(qint64, time);
        QFETCH(int, mode);
        const FileHeader h = FileHeader::parse(data);
        QCOMPARE(h.name, name);
        QCOMPARE(h.size, size);
        QCOMPARE(h.modified.isValid() ? h.modified.toSecsSinceEpoch() : -1, time);
        QCOMPARE(h.mode, mode);
    }

    // What we write reads back the same; a name too long for the room is
    // cut between characters; Zmodem's form has all six fields.
    void encode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("minFields");
        QTest::addColumn<QByteArray>("fields");
        QTest::newRow("ymodem") << QStringLiteral("report.txt") << 1 << QByteArray("123 14524770400 100755");
        QTest::newRow("zmodem") << QStringLiteral("report.txt") << 6
                                << QByteArray("123 14524770400 100755 0 0 0");
        QTest::newRow("long name") << QString(2000, QChar(0xfc)) << 1 << QByteArray("123 14524770400 100755");
    }
    void encode()
    {
        QFETCH(QString, name);
        QFETCH(int, minFields);
        QFETCH(QByteArray, fields);
        const FileHeader h{name, 123, QDateTime::fromSecsSinceEpoch(1700000000), 0755};
        const QByteArray data = h.encode(minFields, 1024);
        QVERIFY(data.size() <= 1024);
        QVERIFY(data.endsWith('\0' + fields + '\0'));
        const FileHeader back = FileHeader::parse(data);
        QVERIFY(name.startsWith(back.name));
        QVERIFY(back.name.size() > 400 || back.name == name);
        QCOMPARE(back.size, h.size);
        QCOMPARE(back.modified, h.modified);
        QCOMPARE(back.mode, h.mode);

        const FileHeader unknown{QStringLiteral("f"), 5, {}, -1};
        QCOMPARE(unknown.encode(minFields, 1024),
            minFields == 6 ? QByteArray("f\0005 0 0 0 0 0\0", 14) : QByteArray("f\0005\0", 4));
    }
};

QTEST_GUILESS_MAIN(FileHeaderTest)
#include "file_header.moc"
