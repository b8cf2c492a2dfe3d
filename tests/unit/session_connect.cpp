#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "comms/line/ComportLink.h"
#include "support/LinePeers.h"
#include "support/SessionRig.h"

#include "shell/settings/SettingsTable.h"

// Connections made without a modem: TCP entries, the dial queue's phonebook
// checks, hang-up, quick connect and the telnet firewall.
class SessionConnectTest : public QObject {
    Q_OBJECT

    static void addTcpEntry(SessionRig &rig, const QString &name, quint16 port)
    {
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Name, name);
        entry.set(PhoneField::Contype, QStringLiteral("1"));
        entry.set(PhoneField::Phone, QStringLiteral("555-0100"));
        entry.set(PhoneField::Wip, QStringLiteral("127.0.0.1"));
        entry.set(PhoneField::WPort, QString::number(port));
        rig.phonebook.add(entry);
    }

private slots:
    // A TCP entry connects as a client even when it has a phone number; an
    // FTP entry starts nothing; a name missing from the phonebook is said.
    void entriesFromThePhonebook()
    {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost));
        SessionRig rig;
        addTcpEntry(rig, QStringLiteral("Board"), host.serverPort());
        PhonebookEntry ftp = PhonebookEntry::newEntry();
        ftp.set(PhoneField::Name, QStringLiteral("Files"));
        ftp.set(PhoneField::fHost, QStringLiteral("ftp.example"));
        rig.phonebook.add(ftp);

        rig.connect.dialEntries({QStringLiteral("Files")});
        QVERIFY(!rig.port.isOpen());
        QVERIFY(rig.view.notices.isEmpty());
        QVERIFY(!rig.state.dialQueue().active);

        rig.connect.dialEntries({QStringLiteral("Gone")});
        QCOMPARE(rig.prompt.texts(), QStringList{QStringLiteral("Error. Session not found: Gone")});

        rig.connect.dialEntries({QStringLiteral("Board")});
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::TcpClient);
        QTRY_VERIFY_WITH_TIMEOUT(host.hasPendingConnections(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(rig.view.caption, QStringLiteral("Tarnex 7.0  Board"), 20000);

        // Dialling while online only re-reads the entry and warns.
        rig.prompt.clear();
        rig.connect.dialEntries({QStringLiteral("Files")});
        rig.connect.dialEntries({QStringLiteral("Board")});
        QCOMPARE(rig.prompt.texts(),
            QStringList{QStringLiteral(
                "You must terminate your current connect before changing the comport settings")});
        QVERIFY(rig.port.isOpen());
    }

    // Hang-up while offline only logs; online it closes and says so.
    void hangup()
    {
        SessionRig rig;
        rig.connect.Hangup1Click();
        QVERIFY(rig.view.notices.isEmpty());
        QVERIFY(rig.view.caption.isEmpty());
        QVERIFY(rig.logText().contains(QLatin1String("Hanging up")));
    }

    // The far end leaving while a transfer runs cancels the transfer first.
    void disconnectDuringTransfer()
    {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost));
        SessionRig rig;
        ComportLink link(&rig.port);
        rig.engine.setLink(&link);
        rig.engine.setDestinationDirectory(rig.dir.path());
        rig.engine.setProtocolType(ProtocolType::Zmodem);
        rig.useEntry(QStringLiteral("Bbs"), QStringLiteral("1"), QStringLiteral("0"),
            QStringLiteral("127.0.0.1"), QString::number(host.serverPort()));
        rig.connect.DoDialer();
        QTRY_VERIFY_WITH_TIMEOUT(host.hasPendingConnections(), 20000);
        QTcpSocket *far = host.nextPendingConnection();
        QTRY_VERIFY_WITH_TIMEOUT(rig.view.notices.contains(QStringLiteral("Connected!")), 20000);
        QVERIFY(rig.engine.startReceive());
        far->close();
        QTRY_VERIFY_WITH_TIMEOUT(rig.view.notices.contains(QStringLiteral("\r\nDisconnected")), 20000);
        const qsizetype cancelled
            = rig.view.notices.indexOf(QStringLiteral("File transfer canceled due to lost connection."));
        QVERIFY(cancelled >= 0);
        QVERIFY(cancelled < rig.view.notices.indexOf(QStringLiteral("\r\nDisconnected")));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.engine.inProgress(), 20000);
    }

    // Quick connect to a TCP host: the kind follows the radio buttons even
    // when cancelled, the typed host and port are kept for next time, and
    // the look-up goes into the history.
    void quickConnectTcp()
    {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost));
        SessionRig rig;
        rig.quick.choices.push_back([](ComportChoice &choice) {
            choice.kind = 2;
            return false;
        });
        rig.connect.DirectBtnClick();
        QCOMPARE(rig.settings.read(Setting::DefaultQType), 2);
        QCOMPARE(rig.quick.shownChoices.first().address, QStringLiteral("127.0.0.1"));
        QCOMPARE(rig.quick.shownPorts.first().size(), 96);
        QVERIFY(rig.quick.shownParameters.isEmpty());

        const QString service = QString::number(host.serverPort());
        rig.quick.choices.push_back([service](ComportChoice &choice) {
            choice.kind = 3;
            choice.address = QStringLiteral("localhost");
            choice.port = service;
            return true;
        });
        rig.lookup.answers = {QStringLiteral("127.0.0.1")};
        rig.connect.DirectBtnClick();
        QTRY_VERIFY_WITH_TIMEOUT(host.hasPendingConnections(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(rig.view.linePanel, QStringLiteral("Winsock"), 20000);
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::Direct);
        QVERIFY(rig.state.online());
        QCOMPARE(rig.settings.read(Setting::DefIP), QStringLiteral("localhost"));
        QCOMPARE(rig.settings.read(Setting::DefPort), service);
        QCOMPARE(rig.connect.lookupHistory().hosts, QStringList{QStringLiteral("localhost")});
        QCOMPARE(rig.connect.lookupHistory().addresses, QStringList{QStringLiteral("127.0.0.1")});
        const QString log = rig.logText();
        QVERIFY(log.contains(QLatin1String("IP=127.0.0.1")));
        QVERIFY(log.contains(QLatin1String("DeviceLayer=3")));

        // Online on a socket: quick connect asks before it drops the line.
        rig.connect.DirectBtnClick();
        QCOMPARE(rig.prompt.texts().last(), QStringLiteral("You are online. Disconnect?"));
        QVERIFY(rig.port.isOpen());
    }

    // Quick connect to a serial port: the parameters go to the line, the
    // init string is sent a second later, and a cleared init field is kept
    // as cleared.
    void quickConnectSerial()
    {
        PtyPair pty;
        QVERIFY(pty.start());
        QSerialPort far;
        far.setPortName(pty.far());
        QVERIFY(far.open(QIODevice::ReadWrite));
        SessionRig rig;
        const QString near = pty.near();
        rig.port.setDeviceOverride([near](int number) { return number == 7 ? near : QString(); });
        rig.settings.write(Setting::DefaultQType, 2);
        rig.quick.choices.push_back([](ComportChoice &choice) {
            choice.comNumber = 7;
            return true;
        });
        rig.quick.parameters.push_back([](ComportParameters &line) {
            line.baudIndex = 9;
            line.swTransmit = true;
            line.swReceive = true;
            line.init = QStringLiteral("ATE1");
            return true;
        });
        rig.connect.DirectBtnClick();
        QVERIFY(rig.port.isOpen());
        QCOMPARE(rig.port.comNumber(), 7);
        QCOMPARE(rig.port.serialSettings().baud, 115200);
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::Direct);
        QCOMPARE(rig.view.statusPanel, QStringLiteral("Direct connected to Com 7"));
        QCOMPARE(rig.view.caption, QStringLiteral("Direct to COM7"));
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += far.readAll()).contains("ATE1\r"), 20000);
        QCOMPARE(rig.quick.shownParameters.first().init, QStringLiteral("ATZ"));
        const QString log = rig.logText();
        for (const char *line : {"Baud=115200", "SFC=BOTH", "Init=ATE1", "RTS/CTS", "Xon=17"})
            QVERIFY2(log.contains(QLatin1String(line)), line);

        rig.connect.Hangup1Click();
        QVERIFY(!rig.port.isOpen());
        rig.quick.choices.push_back([](ComportChoice &) { return true; });
        rig.quick.parameters.push_back([](ComportParameters &line) {
            line.init.clear();
            return true;
        });
        rig.connect.DirectBtnClick();
        QCOMPARE(rig.settings.read(Setting::DInit), QStringLiteral("`"));
        rig.connect.Hangup1Click();
        rig.quick.choices.push_back([](ComportChoice &) { return true; });
        rig.connect.DirectBtnClick();
        QCOMPARE(rig.quick.shownParameters.last().init, QString());
        QCOMPARE(rig.quick.shownParameters.last().dialCommand, QStringLiteral("ATDT"));
    }

    // Through the telnet firewall: the connection goes to the firewall,
    // which is told the wanted host and port when it prompts.
    void firewallLogin()
    {
        QTcpServer firewall;
        QVERIFY(firewall.listen(QHostAddress::LocalHost));
        SessionRig rig;
        rig.firewall.use = true;
        rig.firewall.host = QStringLiteral("127.0.0.1");
        rig.firewall.port = QString::number(firewall.serverPort());
        QByteArray seen;
        connect(&rig.connect, &ConnectController::received, this,
            [&seen](const QByteArray &bytes) { seen += bytes; });
        rig.useEntry(QStringLiteral("Inside"), QStringLiteral("1"), QStringLiteral("0"),
            QStringLiteral("bbs.inside"), QStringLiteral("2300"));
        rig.connect.DoDialer();
        QVERIFY(rig.lookup.asked.isEmpty());
        QCOMPARE(rig.view.notices.first(), QStringLiteral("Attempting connect to bbs.inside"));
        QTRY_VERIFY_WITH_TIMEOUT(firewall.hasPendingConnections(), 20000);
        QTcpSocket *client = firewall.nextPendingConnection();
        QByteArray request;
        client->write("WinGate Engine\r\nWingate>");
        QTRY_VERIFY_WITH_TIMEOUT((request += client->readAll()).contains('\r'), 20000);
        // Telnet sends CR as CR NUL.
        QVERIFY2(request.contains("bbs.inside:2300\r"), request.constData());
        client->write("Connected to bbs.inside\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(seen.contains("Connected to bbs.inside"), 20000);
        // Only one log-in per connection.
        client->write("Wingate>");
        QTest::qWait(200);
        QVERIFY(!client->readAll().contains("bbs.inside"));
    }
};

QTEST_GUILESS_MAIN(SessionConnectTest)
#include "session_connect.moc"
