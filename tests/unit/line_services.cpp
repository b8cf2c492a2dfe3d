#include <QSignalSpy>
#include <QTest>

#include "comms/line/ComDevices.h"
#include "comms/line/HostResolver.h"
#include "comms/line/PortRecorder.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/ProcessMemory.h"

class LineServicesTest : public QObject {
    Q_OBJECT
private slots:
    void comDevices_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("path");
        QTest::newRow("COM1") << 1 << "/dev/ttyS0";
        QTest::newRow("COM32") << 32 << "/dev/ttyS31";
        QTest::newRow("COM33") << 33 << "/dev/ttyUSB0";
        QTest::newRow("COM65") << 65 << "/dev/ttyACM0";
        QTest::newRow("COM96") << 96 << "/dev/ttyACM31";
        QTest::newRow("COM0") << 0 << "";
        QTest::newRow("COM97") << 97 << "";
    }
    void comDevices()
    {
        QFETCH(int, number);
        QFETCH(QString, path);
        QCOMPARE(ComDevices::devicePath(number), path);
        // A ComDevice<n> setting wins; an empty one falls back to the table.
        const auto override = [](int n) { return n == 3 ? QStringLiteral(" /dev/pts/7 ") : QString(); };
        QCOMPARE(ComDevices::devicePath(3, override), QStringLiteral("/dev/pts/7"));
        QCOMPARE(ComDevices::devicePath(number, override), path);
    }

    void comDeviceSetting()
    {
        TLog log{QString()};
        RecordingPrompt prompt;
        SettingsStore store{SettingsFolders::fromEnvironment(), log,
            [&prompt](const QString &text) { prompt.warning(text); }};
        store.WriteSettingString(QString(), QStringLiteral("ComDevice5"), QStringLiteral("/dev/ttyAMA0"));
        const auto fromSettings = ComDevices::fromSettings(store);
        QCOMPARE(ComDevices::devicePath(5, fromSettings), QStringLiteral("/dev/ttyAMA0"));
        QCOMPARE(ComDevices::devicePath(6, fromSettings), QStringLiteral("/dev/ttyS5"));
    }

    void resolver()
    {
        HostResolver resolver;
        QSignalSpy spy(&resolver, &HostResolver::resolved);
        resolver.lookup(QStringLiteral("localhost"));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 30000);
        QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("127.0.0.1"));
        QVERIFY(!resolver.busy());

        resolver.lookup(QStringLiteral("no-such-host.invalid"));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, 30000);
        QCOMPARE(spy.at(1).at(1).toString(), HostResolver::unresolved);

        // An abandoned look-up never reports, and a newer one replaces it.
        resolver.lookup(QStringLiteral("localhost"));
        resolver.abandon();
        resolver.lookup(QStringLiteral("10.1.2.3"));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 3, 30000);
        QCOMPARE(spy.at(2).at(0).toString(), QStringLiteral("10.1.2.3"));
        QTest::qWait(300);
        QCOMPARE(spy.count(), 3);

        // Destroyed while a look-up runs: the late answer goes nowhere.
        auto *doomed = new HostResolver;
        doomed->lookup(QStringLiteral("localhost"));
        delete doomed;
        QTest::qWait(300);
    }

    // The dump replaces the file; off or never switched on writes nothing.
    void recorderDump()
    {
        QTemporaryDir dir;
        PortRecorder recorder(QStringLiteral("Comport.Trc"), 64);
        recorder.setFolder(dir.path());
        recorder.record(PortRecorder::Direction::Sent, "ignored while off");
        QVERIFY(recorder.setState(LogState::Dump));
        QVERIFY(!QFile::exists(recorder.filePath()));

        recorder.setState(LogState::On);
        recorder.record(PortRecorder::Direction::Sent, QByteArray(70, 'a'));
        recorder.record(PortRecorder::Direction::Received, QByteArray("\x00\xffZ", 3));
        QVERIFY(recorder.setState(LogState::Dump));
        QCOMPARE(recorder.state(), LogState::Off);
        QFile file(recorder.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.startsWith(QStringLiteral("(70 earlier bytes were not kept)")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("RX 000000  00 FF 5A")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("|..Z|")));

        PortRecorder unwritable(QStringLiteral("Comport.Log"));
        unwritable.setFolder(dir.filePath(QStringLiteral("missing/folder")));
        unwritable.setState(LogState::On);
        unwritable.record(PortRecorder::Direction::Sent, "x");
        QVERIFY(!unwritable.setState(LogState::Dump));
        QVERIFY(unwritable.error().contains(QStringLiteral("Comport.Log")));
    }

    // Single-byte records (keystrokes, a slow serial line) are bounded by
    // what they cost, not by their payload alone.
    void recorderBoundsTinyRecords()
    {
        PortRecorder recorder(QStringLiteral("Comport.Trc"), 1024 * 1024);
        recorder.setState(LogState::On);
        const qint64 before = residentKb();
        QVERIFY(before > 0);
        // Alternating directions, so nothing can be merged.
        for (int i = 0; i < 2000000; ++i)
            recorder.record(i % 2 ? PortRecorder::Direction::Sent : PortRecorder::Direction::Received, "k");
        const qint64 grownKb = residentKb() - before;
        QVERIFY2(grownKb < 16 * 1024, qPrintable(QStringLiteral("%1 KB").arg(grownKb)));
    }
};

QTEST_GUILESS_MAIN(LineServicesTest)
#include "line_services.moc"
