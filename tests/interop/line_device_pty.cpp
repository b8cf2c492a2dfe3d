#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "comms/line/Comport.h"
#include "comms/modem/Modem.h"
#include "comms/telephony/TapiLine.h"
#include "support/AtResponder.h"
#include "support/LinePeers.h"
#include "support/LineReader.h"
#include "support/TestFiles.h"

#include <memory>

namespace {

// A line device "Desk modem" on a pseudo-terminal with a scripted modem on
// its far end; the port starts closed, as the program leaves it.
struct DeviceLine {
    QTemporaryDir home;
    PtyPair pty;
    Comport port;
    LineReader reader{port};
    Modem modem{port};
    std::unique_ptr<TapiLine> line;
    AtResponder far;
    QStringList log;

    bool start(const QByteArray &extraSections = {})
    {
        if (!pty.start() || !far.open(pty.far()))
            return false;
        TestFiles::write(home.filePath(QStringLiteral("LineDevices.ini")),
            "[Desk modem]\nPort=" + pty.near().toUtf8() + "\nInit=ATZ^M\n" + extraSections);
        far.on("ATZ", {"\r\nOK\r\n"});
        modem.setGuardTime(200);
        line = std::make_unique<TapiLine>(port, modem, home.path());
        QObject::connect(line.get(), &TapiLine::logMessage, [this](const QString &text) { log << text; });
        return line->selectDevice(QStringLiteral("desk MODEM"));
    }
};

} // namespace

class LineDevicePtyTest : public QObject {
    Q_OBJECT
private slots:
    // Open, init, dial, connect; the far end's NO CARRIER closes the port.
    void dialConnectsAndFarHangupCloses()
    {
        DeviceLine line;
        QVERIFY(line.start());
        line.far.on("ATDT", {"\r\nCONNECT 33600/V34\r\n"});
        QSignalSpy opened(line.line.get(), &TapiLine::portOpened);
        QSignalSpy connected(line.line.get(), &TapiLine::connected);
        QSignalSpy closed(line.line.get(), &TapiLine::portClosed);
        QSignalSpy failed(line.line.get(), &TapiLine::failed);
        line.line->dial(QStringLiteral("5551234"));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(line.port.devicePath(), line.pty.near());
        QVERIFY(connected.wait(5000));
        QCOMPARE(line.far.commands, (QList<QByteArray>{"ATZ", "ATDT5551234"}));
        QVERIFY(line.port.isOpen());

        line.far.send("welcome\r\n\r\nNO CARRIER\r\n");
        QVERIFY(closed.wait(5000));
        QVERIFY(!line.port.isOpen());
        QCOMPARE(failed.size(), 0);
        QVERIFY(line.reader.got.contains("welcome"));
    }

    // The modem going away mid-call closes the port as a hang-up does.
    void deviceGoneEndsTheCall()
    {
        DeviceLine line;
        QVERIFY(line.start());
        line.far.on("ATDT", {"\r\nCONNECT 9600\r\n"});
        QSignalSpy connected(line.line.get(), &TapiLine::connected);
        QSignalSpy closed(line.line.get(), &TapiLine::portClosed);
        line.line->dial(QStringLiteral("5551234"));
        QVERIFY(connected.wait(5000));
        line.pty.stop();
        QVERIFY(closed.wait(5000));
        QCOMPARE(closed.size(), 1);
        QVERIFY(!line.port.isOpen());
        QVERIFY(!line.modem.isEnabled());
        QVERIFY(line.log.last().contains(QStringLiteral("went away")));
    }

    // A dial that fails every attempt closes the port and reports failed, not portClosed.
    void failedDialClosesPort()
    {
        DeviceLine line;
        QVERIFY(line.start());
        line.far.on("ATDT", {"\r\nBUSY\r\n"});
        line.line->setMaxAttempts(2);
        line.line->setRetryWait(0);
        QSignalSpy failed(line.line.get(), &TapiLine::failed);
        QSignalSpy closed(line.line.get(), &TapiLine::portClosed);
        line.line->dial(QStringLiteral("5551234"));
        QVERIFY(failed.wait(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!line.port.isOpen(), 2000);
        QCOMPARE(line.far.commands, (QList<QByteArray>{"ATZ", "ATDT5551234", "ATDT5551234"}));
        QCOMPARE(closed.size(), 0);
    }

    // Cancel from the window while dialling: the cancel string goes out, then the port closes.
    void cancelFromStatusDuringDial()
    {
        DeviceLine line;
        QVERIFY(line.start());
        line.modem.commands().dialCancel = QStringLiteral("ATH^M");
        line.far.on("ATDT", {""});
        QSignalSpy closed(line.line.get(), &TapiLine::portClosed);
        QSignalSpy cancelled(line.line.get(), &TapiLine::statusCancelled);
        QSignalSpy failed(line.line.get(), &TapiLine::failed);
        line.line->dial(QStringLiteral("5551234"));
        QTRY_COMPARE_WITH_TIMEOUT(line.far.commands.size(), 2, 5000);
        line.line->cancelFromStatus();
        QCOMPARE(cancelled.size(), 1);
        QVERIFY(closed.size() == 1 || closed.wait(3000));
        QVERIFY(!line.port.isOpen());
        QTRY_COMPARE_WITH_TIMEOUT(line.far.commands.last(), QByteArray("ATH"), 3000);
        QCOMPARE(failed.size(), 0);
    }

    // Auto answer: open, init, two RINGs, answer, connected; cancelCall hangs up and closes.
    void autoAnswerThenHangup()
    {
        DeviceLine line;
        QVERIFY(line.start());
        line.far.on("ATA", {"\r\nCONNECT 9600\r\n"});
        line.far.on("+++", {"\r\nOK\r\n"});
        line.far.on("ATH0", {"\r\nOK\r\n"});
        QSignalSpy connected(line.line.get(), &TapiLine::connected);
        QSignalSpy closed(line.line.get(), &TapiLine::portClosed);
        line.line->autoAnswer();
        QTRY_COMPARE_WITH_TIMEOUT(line.far.commands.size(), 1, 5000);
        QTest::qWait(100);
        line.far.send("\r\nRING\r\n");
        line.far.send("\r\nRING\r\n");
        QVERIFY(connected.wait(5000));
        QCOMPARE(line.far.commands, (QList<QByteArray>{"ATZ", "ATA"}));
        line.line->cancelCall();
        QVERIFY(closed.wait(5000));
        QCOMPARE(line.far.commands, (QList<QByteArray>{"ATZ", "ATA", "+++", "ATH0"}));
        QVERIFY(!line.port.isOpen());
    }

    // Devices that cannot be used: not listed, not selectable, and a dial says why.
    void unusableDevices()
    {
        DeviceLine line;
        QTemporaryDir scratch;
        const QString notSerial = TestFiles::writeIn(scratch.path(), QStringLiteral("plain"), "x");
        QVERIFY(line.start(
            "[Unplugged]\nPort=/dev/ttyACM31-not-here\n[Plain file]\nPort=" + notSerial.toUtf8() + "\n"));
        QCOMPARE(line.line->devices(), (QStringList{"Desk modem", "Plain file"}));
        QVERIFY(line.log.join(u'\n').contains(QStringLiteral("/dev/ttyACM31-not-here does not exist")));
        QVERIFY(!line.line->selectDevice(QStringLiteral("Unplugged")));

        QSignalSpy failed(line.line.get(), &TapiLine::failed);
        QSignalSpy opened(line.line.get(), &TapiLine::portOpened);
        QVERIFY(line.line->selectDevice(QStringLiteral("Plain file")));
        line.line->dial(QStringLiteral("5551234"));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(opened.size(), 0);
        QVERIFY2(line.log.last().contains(QStringLiteral("cannot open")), qPrintable(line.log.last()));
        QVERIFY(!line.port.isOpen());

        QVERIFY(line.line->selectDevice(QString()));
        line.line->dial(QStringLiteral("5551234"));
        QCOMPARE(failed.size(), 2);
        QCOMPARE(line.log.last(), QStringLiteral("No line device selected"));
    }
};

QTEST_GUILESS_MAIN(LineDevicePtyTest)
#include "line_device_pty.moc"
