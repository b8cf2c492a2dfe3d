#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "comms/telephony/LineDevices.h"
#include "support/TestFiles.h"

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList names(const QList<LineDeviceEntry> &devices)
{
    QStringList out;
    for (const LineDeviceEntry &device : devices)
        out << device.name;
    return out;
}

// COM5 is /dev/null here; other numbers map as usual.
QString comFive(int number)
{
    return number == 5 ? QStringLiteral("/dev/null") : QString();
}

} // namespace

class LineDevicesTest : public QObject {
    Q_OBJECT
private slots:
    void missingFileMeansNoDevices()
    {
        QTemporaryDir home;
        QStringList problems;
        QVERIFY(LineDevices(home.path()).devices(&problems).isEmpty());
        QCOMPARE(problems, QStringList{QStringLiteral("no LineDevices.ini in %1").arg(home.path())});
    }

    void unreadableFileIsReported()
    {
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("LineDevices.ini")));
        QStringList problems;
        QVERIFY(LineDevices(home.path()).devices(&problems).isEmpty());
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems[0].startsWith(QStringLiteral("cannot read")), qPrintable(problems[0]));
    }

    // Broken sections are skipped with a reason each; the good ones stay, in file order.
    void brokenSectionsAreSkipped()
    {
        QTemporaryDir home;
        TestFiles::write(home.filePath(QStringLiteral("linedevices.INI")),
            "; modems\n"
            "[Desk modem]\nPort=/dev/null\nInit=ATZ^M\nBaud=57600\n"
            "[No port]\nInit=ATZ^M\n"
            "[Unplugged]\nPort=/dev/ttyACM31-not-here\n"
            "[Com five]\nport = 5\n"
            "[Com far away]\nPort=200\n");
        QStringList problems;
        const auto devices = LineDevices(home.path(), comFive).devices(&problems);
        QCOMPARE(names(devices), (QStringList{"Desk modem", "Com five"}));
        QCOMPARE(devices[0].init, QStringLiteral("ATZ^M"));
        QCOMPARE(devices[0].baud, 57600);
        QCOMPARE(devices[1].port, QStringLiteral("5"));
        QCOMPARE(problems.size(), 3);
        QVERIFY(problems[0].contains(QStringLiteral("No port has no Port")));
        QVERIFY(problems[1].contains(QStringLiteral("/dev/ttyACM31-not-here does not exist")));
        QVERIFY(problems[2].contains(QStringLiteral("Com far away: no such port 200")));
    }

    // Saving changes only the device's own keys and keeps everything else.
    void saveKeepsTheRest()
    {
        QTemporaryDir home;
        const QString path = home.filePath(QStringLiteral("LineDevices.ini"));
        TestFiles::write(path,
            "; my modems\n"
            "[Desk modem]\nPort=/dev/ttyS0\n; loud\nSpeaker=1\nInit=ATZ^M\nBaud=9600\n\n"
            "[Other]\nPort=/dev/ttyS1\n");
        const LineDevices devices(home.path());
        QString error;
        QVERIFY(devices.save(QStringLiteral("desk modem"),
            {QStringLiteral("Desk modem"), QStringLiteral("/dev/ttyUSB0"), QStringLiteral("ATZ^MATM0^M"), 0},
            &error));
        QCOMPARE(readAll(path),
            "; my modems\n"
            "[Desk modem]\nPort=/dev/ttyUSB0\n; loud\nSpeaker=1\nInit=ATZ^MATM0^M\n\n"
            "[Other]\nPort=/dev/ttyS1\n");

        // A new name renames the section; a name in use is refused.
        QVERIFY(!devices.save(
            QStringLiteral("Desk modem"), {QStringLiteral("other"), QStringLiteral("7"), {}, 0}, &error));
        QVERIFY(error.contains(QStringLiteral("exists")));
        QVERIFY(devices.save(QStringLiteral("Desk modem"),
            {QStringLiteral("Study modem"), QStringLiteral("/dev/ttyUSB0"), QStringLiteral("ATZ^MATM0^M"), 0},
            &error));
        QVERIFY(devices.entry(QStringLiteral("Study modem")));
        QVERIFY(!devices.entry(QStringLiteral("Desk modem")));

        // A new device goes at the end.
        QVERIFY(devices.save(
            QString(), {QStringLiteral("Fax"), QStringLiteral("65"), QString(), 115200}, &error));
        QVERIFY(readAll(path).endsWith("[Other]\nPort=/dev/ttyS1\n\n[Fax]\nPort=65\nBaud=115200\n"));
    }

    void saveCreatesTheFile()
    {
        QTemporaryDir home;
        QString error;
        QVERIFY(
            LineDevices(home.path())
                .save(QString(),
                    {QStringLiteral("USB modem"), QStringLiteral("/dev/ttyACM0"), QStringLiteral("ATZ^M"), 0},
                    &error));
        QCOMPARE(readAll(home.filePath(QStringLiteral("LineDevices.ini"))),
            "[USB modem]\nPort=/dev/ttyACM0\nInit=ATZ^M\n");
        QVERIFY(!LineDevices(home.path())
                     .save(QString(), {QStringLiteral("  "), QStringLiteral("1"), {}, 0}, &error));
    }
};

QTEST_GUILESS_MAIN(LineDevicesTest)
#include "line_devices.moc"
