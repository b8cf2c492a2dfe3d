#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "support/LinePeers.h"
#include "support/ModemFixture.h"
#include "support/SessionRig.h"
#include "support/TestFiles.h"

namespace {

// A session rig whose COM5 is the fixture's modem, with short guard times.
struct ModemRig : SessionRig {
    explicit ModemRig(const QString &modemPath)
    {
        const auto comFive = [modemPath](int number) { return number == 5 ? modemPath : QString(); };
        port.setDeviceOverride(comFive);
        tapi.setDeviceOverride(comFive);
        modem.setGuardTime(200);
        // The posted MsgDialNext of the window.
        QObject::connect(&connect, &ConnectController::dialNextRequested, &connect,
            &ConnectController::DialNext, Qt::QueuedConnection);
    }
    QByteArray received;
    void record()
    {
        QObject::connect(&connect, &ConnectController::received, &connect,
            [this](const QByteArray &bytes) { received += bytes; });
    }
    void dial(const QString &name)
    {
        state.setCurrentEntry(PhonebookEntry(phonebook.read(name)), name);
        connect.DoDialer();
    }
};

// The numbers the modem was asked to dial, in order.
QStringList dialled(ModemFixture &modem)
{
    QStringList numbers;
    for (const QByteArray &line : modem.log().split('\n')) {
        const qsizetype at = line.indexOf("ATDT");
        if (at >= 0)
            numbers << QString::fromLatin1(line.mid(at + 4).trimmed());
    }
    return numbers;
}

} // namespace

// Modem entries dialled, answered and hung up against the Hayes modem fixture
// on a pseudo-terminal, which places its calls over TCP.
class ModemSessionsTest : public QObject {
    Q_OBJECT

private slots:
    // A dial that connects: the line speed, the caption, the Last stamp in
    // the phonebook and the called host's data; then a hang-up by "+++" and
    // ATH0 (a pty cannot drop DTR) that closes the port a second after the
    // modem's answer.
    void dialWorkAndHangUp()
    {
        CalledHost host;
        QVERIFY(host.listen());
        ModemFixture fixture;
        QVERIFY(fixture.start({QStringLiteral("--guard-ms"), QStringLiteral("200"),
                                  QStringLiteral("--connect-suffix"), QStringLiteral("/ARQ")},
            "5551234 " + host.address() + '\n'));
        ModemRig rig(fixture.near());
        rig.record();
        rig.addModemEntry(QStringLiteral("Board"), QStringLiteral("5"), QStringLiteral("555-1234"));
        rig.dial(QStringLiteral("Board"));
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::ModemDial);
        QCOMPARE(rig.view.statusPanel, QStringLiteral("Direct connected to Com 5"));
        QVERIFY(!rig.view.toolBarEnabled);
        QTRY_VERIFY2_WITH_TIMEOUT(host.peer, fixture.log().constData(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(rig.view.caption, QStringLiteral("Tarnex 7.0  Board"), 20000);
        QCOMPARE(rig.view.statusPanel, QStringLiteral("Connected at 33600 Bps"));
        QVERIFY(rig.view.toolBarEnabled);
        QVERIFY(rig.state.online());
        QVERIFY(!PhonebookEntry(rig.phonebook.read(QStringLiteral("Board"))).get(PhoneField::Last).isEmpty());
        host.peer->write("Welcome to the board\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(rig.received.contains("Welcome to the board"), 20000);
        rig.port.putString(QStringLiteral("hello"));
        QTRY_VERIFY_WITH_TIMEOUT(host.got.contains("hello"), 20000);
        const QString log = rig.logText();
        for (const char *line : {"Before SetComm", "Non TAPI connect. Port #5", "SetLine", "Init Cmd: ATZ",
                 "Modem connected", "Line speed=33600", "Modem is connected"})
            QVERIFY2(log.contains(QLatin1String(line)), line);

        rig.connect.Hangup1Click();
        QVERIFY(rig.state.hangupPending());
        QVERIFY(rig.port.isOpen());
        QCOMPARE(rig.view.notices.last(), QStringLiteral("Disconnected"));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.state.hangupPending(), 20000);
        QVERIFY(rig.port.isOpen());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.port.isOpen(), 20000);
        QVERIFY(rig.logText().contains(QLatin1String("Close port timer fired")));
        QTRY_VERIFY_WITH_TIMEOUT(fixture.log().contains("ATH0"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(host.peer->state() != QAbstractSocket::ConnectedState, 20000);
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::None);
    }

    // The call reaches inetutils telnetd; the user refuses its options (a
    // modem line carries no telnet) and works with the program it runs.
    void dialTelnetd()
    {
        QTemporaryDir dir;
        const QString program = TestFiles::writeScript(dir.path(), QStringLiteral("modem-board.sh"),
            "#!/bin/sh\necho 'Welcome to the modem board'\nexec cat\n");
        SocketExec telnetd;
        QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + program));
        ModemFixture fixture;
        QVERIFY(fixture.start({}, "5550100 127.0.0.1:" + QByteArray::number(telnetd.port()) + '\n'));
        ModemRig rig(fixture.near());
        rig.record();
        rig.addModemEntry(QStringLiteral("Telnetd"), QStringLiteral("5"), QStringLiteral("5550100"));
        rig.dial(QStringLiteral("Telnetd"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.logText().contains(QLatin1String("Modem is connected")), 20000);
        refuseTelnetUntilAnswered(
            [&](int ms) {
                QTest::qWait(ms);
                return rig.received.contains("Welcome to the modem board");
            },
            [&] { return rig.received; }, [&](const QByteArray &bytes) { rig.port.putBlock(bytes); });
        QVERIFY2(rig.received.contains("Welcome to the modem board"), rig.received.toHex(' ').constData());
        rig.port.putString(QStringLiteral("ping through the modem\r"));
        // Nothing echoes on the modem line: what comes back is the far end's.
        QTRY_VERIFY_WITH_TIMEOUT(rig.received.contains("ping through the modem"), 20000);
    }

    // BUSY on the first attempt, connected on the second after the wait.
    void busyThenConnect()
    {
        CalledHost host;
        QVERIFY(host.listen());
        ModemFixture fixture;
        QVERIFY(fixture.start({}, "77 BUSY," + host.address() + '\n'));
        ModemRig rig(fixture.near());
        rig.dialer.setMaxTries(3);
        rig.dialer.setRetrySeconds(1);
        QSignalSpy attempts(&rig.dialer, &Dialer::attemptStarted);
        rig.addModemEntry(QStringLiteral("Busy"), QStringLiteral("5"), QStringLiteral("77"));
        rig.dial(QStringLiteral("Busy"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.logText().contains(QLatin1String("Modem is connected")), 30000);
        QCOMPARE(attempts.size(), 2);
        QCOMPARE(dialled(fixture), (QStringList{QStringLiteral("77"), QStringLiteral("77")}));
    }

    // NO DIALTONE ends the dial at once; cancel ends it without counting as
    // a failure of the queue.
    void dialFailsOrIsCancelled()
    {
        ModemFixture fixture;
        QVERIFY(fixture.start({}, "1 NO DIALTONE\n2 SILENT\n"));
        ModemRig rig(fixture.near());
        rig.dialer.setMaxTries(3);
        rig.addModemEntry(QStringLiteral("Dead"), QStringLiteral("5"), QStringLiteral("1"));
        rig.addModemEntry(QStringLiteral("Quiet"), QStringLiteral("5"), QStringLiteral("2"));
        rig.dial(QStringLiteral("Dead"));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.port.isOpen(), 20000);
        QCOMPARE(dialled(fixture), QStringList{QStringLiteral("1")});
        QCOMPARE(rig.view.notices.last(), QStringLiteral("Disconnected."));
        QCOMPARE(rig.view.linePanel, QStringLiteral("Offline"));
        QVERIFY(rig.logText().contains(QLatin1String("Modem Connect failed")));
        QVERIFY(rig.view.toolBarEnabled);

        rig.dial(QStringLiteral("Quiet"));
        QTRY_COMPARE_WITH_TIMEOUT(dialled(fixture).size(), 2, 20000);
        rig.dialer.cancel();
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.logText().count(QLatin1String("Modem Connect failed")), 1);
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::None);
    }

    // Three entries that all fail: each is tried once per pass, the queue
    // goes round again while passes are left, then stops and the redial
    // settings come back.
    void queueOfFailingEntries()
    {
        ModemFixture fixture;
        QVERIFY(fixture.start({}, "11 BUSY\n12 NO ANSWER\n13 BUSY\n"));
        ModemRig rig(fixture.near());
        rig.dialer.setMaxTries(4);
        rig.tapi.setMaxAttempts(1);
        for (const char *number : {"11", "12", "13"})
            rig.addModemEntry(
                QStringLiteral("E") + QLatin1String(number), QStringLiteral("5"), QLatin1String(number));
        rig.connect.dialEntries({QStringLiteral("E11"), QStringLiteral("E12"), QStringLiteral("E13")});
        QVERIFY(rig.state.dialQueue().active);
        QCOMPARE(rig.dialer.maxTries(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.state.dialQueue().active, 60000);
        QCOMPARE(dialled(fixture),
            (QStringList{QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"),
                QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13")}));
        QCOMPARE(rig.dialer.maxTries(), 4);
        QCOMPARE(rig.tapi.maxAttempts(), 1);
        QVERIFY(!rig.port.isOpen());
    }

    // A modem entry without a number is a terminal session on the modem.
    void emptyPhone()
    {
        ModemFixture fixture;
        QVERIFY(fixture.start({}));
        ModemRig rig(fixture.near());
        rig.record();
        rig.addModemEntry(QStringLiteral("Line"), QStringLiteral("5"), QString());
        rig.dial(QStringLiteral("Line"));
        QVERIFY(rig.state.online());
        QTRY_VERIFY_WITH_TIMEOUT(rig.received.contains("OK"), 20000);
        QVERIFY(dialled(fixture).isEmpty());
        rig.port.putString(QStringLiteral("ATI\r"));
        QTRY_VERIFY_WITH_TIMEOUT(fixture.log().contains("ATI"), 20000);
    }

    // Answer mode: rings are counted and the second one answered; the far
    // end hanging up is a lost carrier and the modem waits for the next call.
    void answerAndLoseCarrier()
    {
        ModemFixture fixture;
        QVERIFY(fixture.start({QStringLiteral("--listen"), QStringLiteral("0"), QStringLiteral("--ring-ms"),
            QStringLiteral("300")}));
        ModemRig rig(fixture.near());
        rig.record();
        PhonebookEntry entry = rig.addModemEntry(QStringLiteral("Host"), QStringLiteral("5"), QString());
        entry.set(PhoneField::AA, QStringLiteral("1"));
        rig.phonebook.update(QStringLiteral("Host"), entry);
        rig.dial(QStringLiteral("Host"));
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::ModemAnswer);
        QCOMPARE(rig.view.statusPanel, QStringLiteral("Auto Answer mode"));
        QVERIFY(rig.view.notices.contains(QStringLiteral("Waiting for call\r\n")));
        QVERIFY(rig.state.online());
        // A call before the modem has taken its init string would be reset by it.
        QTRY_VERIFY_WITH_TIMEOUT(rig.received.contains("OK"), 20000);

        QTcpSocket caller;
        caller.connectToHost(QHostAddress::LocalHost, fixture.listenPort());
        QTRY_VERIFY_WITH_TIMEOUT(rig.logText().contains(QLatin1String("Modem is connected")), 20000);
        QCOMPARE(rig.received.count("RING"), 2);
        caller.write("caller here\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(rig.received.contains("caller here"), 20000);

        caller.disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(rig.view.linePanel, QStringLiteral("Lost Carrier"), 20000);
        QCOMPARE(rig.view.statusPanel, QStringLiteral("Autoanswer Mode"));
        QTcpSocket second;
        second.connectToHost(QHostAddress::LocalHost, fixture.listenPort());
        QTRY_COMPARE_WITH_TIMEOUT(rig.logText().count(QLatin1String("Modem is connected")), 2, 20000);
    }

    // Port "-1": the entry is dialled through the line device it names.
    void lineDeviceEntry()
    {
        CalledHost host;
        QVERIFY(host.listen());
        ModemFixture fixture;
        QVERIFY(fixture.start(
            {QStringLiteral("--guard-ms"), QStringLiteral("200")}, "600 " + host.address() + '\n'));
        ModemRig rig(fixture.near());
        QFile ini(rig.dir.filePath(QStringLiteral("LineDevices.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Desk modem]\nPort=5\nInit=ATZ^M\n");
        ini.close();
        PhonebookEntry entry
            = rig.addModemEntry(QStringLiteral("Via line"), QStringLiteral("-1"), QStringLiteral("600"));
        entry.set(PhoneField::Device, QStringLiteral("Desk modem"));
        rig.phonebook.update(QStringLiteral("Via line"), entry);
        rig.dial(QStringLiteral("Via line"));
        QVERIFY(rig.state.viaTapi());
        QTRY_COMPARE_WITH_TIMEOUT(rig.view.statusPanel, QStringLiteral("Connected to Via line"), 20000);
        QCOMPARE(rig.view.linePanel, QStringLiteral("Desk modem"));
        QVERIFY(rig.state.online());
        QVERIFY(host.peer);
        const QString log = rig.logText();
        for (const char *line : {"TAPI Connect. Device=Desk modem", "TAPI Open", "Tapi Connect"})
            QVERIFY2(log.contains(QLatin1String(line)), line);
        QVERIFY(!log.contains(QLatin1String("Modem is connected")));

        rig.connect.Hangup1Click();
        QVERIFY(rig.view.notices.contains(QStringLiteral("Desk modem shut down\r\n")));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.port.isOpen(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(host.peer->state() != QAbstractSocket::ConnectedState, 20000);
        QVERIFY(!rig.state.online());
    }

    // Entries that cannot be dialled say why and leave the line alone.
    void entriesThatCannotBeDialled_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("shown");
        QTest::newRow("COM above 96")
            << QStringLiteral("97") << QString() << QStringLiteral("1")
            << QStringLiteral("Error opening port\nNo serial device is set for this port");
        QTest::newRow("line device missing")
            << QStringLiteral("0") << QStringLiteral("Gone") << QStringLiteral("1")
            << QStringLiteral("No line device named Gone in LineDevices.ini.");
        QTest::newRow("line device without number")
            << QStringLiteral("0") << QStringLiteral("Desk modem") << QString()
            << QStringLiteral("No number to dial. Aborting");
    }
    void entriesThatCannotBeDialled()
    {
        QFETCH(QString, port);
        QFETCH(QString, device);
        QFETCH(QString, phone);
        QFETCH(QString, shown);
        ModemFixture fixture;
        QVERIFY(fixture.start({}));
        ModemRig rig(fixture.near());
        QFile ini(rig.dir.filePath(QStringLiteral("LineDevices.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Desk modem]\nPort=5\n");
        ini.close();
        PhonebookEntry entry = rig.addModemEntry(QStringLiteral("Bad"), port, phone);
        entry.set(PhoneField::Device, device);
        rig.phonebook.update(QStringLiteral("Bad"), entry);
        rig.dial(QStringLiteral("Bad"));
        QCOMPARE(rig.prompt.texts(), QStringList{shown});
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.state.online());
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::None);
    }
};

QTEST_GUILESS_MAIN(ModemSessionsTest)
#include "modem_sessions.moc"
