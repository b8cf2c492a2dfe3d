#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "sessions/StartupCommand.h"
#include "sessions/StartupConnect.h"
#include "support/SessionRig.h"

// The connect controller and the start-up steps without a window: a real
// port on loopback TCP, the view, prompt and look-up recorded.
class ConnectControllerTest : public QObject {
    Q_OBJECT

    using Rig = SessionRig;

    static quint16 freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return probe.serverPort();
    }

private slots:
    // A server entry listens, takes a caller, and goes offline when the caller
    // leaves; abort-on-carrier-loss is off while connected and restored after.
    void serverEntry()
    {
        Rig rig;
        rig.engine.options().abortNoCarrier = true;
        const QString service = QString::number(freePort());
        rig.useEntry(QStringLiteral("Listener"), QStringLiteral("1"), QStringLiteral("1"),
            QStringLiteral("127.0.0.1"), service);
        rig.connect.DoDialer();
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::TcpServer);
        QVERIFY(rig.state.online());
        QCOMPARE(rig.view.notices.last(), QStringLiteral("\r\nWaiting for connect on: 127.0.0.1:") + service);
        QCOMPARE(rig.view.statusPanel, QStringLiteral("Waiting on 127.0.0.1:") + service);
        QCOMPARE(rig.view.linePanel, QStringLiteral("Winsock"));

        QTcpSocket caller;
        caller.connectToHost(QHostAddress::LocalHost, service.toUShort());
        QTRY_VERIFY_WITH_TIMEOUT(
            rig.view.statusPanel.startsWith(QLatin1String("Connected to 127.0.0.1:")), 20000);
        QVERIFY(!rig.engine.options().abortNoCarrier);
        QVERIFY(!rig.state.currentEntry().get(PhoneField::Last).isEmpty());

        caller.disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(rig.view.linePanel, QStringLiteral("Offline"), 20000);
        QCOMPARE(rig.view.statusPanel, QStringLiteral("Not connected"));
        QCOMPARE(rig.view.notices.last(), QStringLiteral("\r\nDisconnected"));
        QVERIFY(!rig.state.online());
        QVERIFY(rig.engine.options().abortNoCarrier);
        QVERIFY(rig.logText().contains(QLatin1String("Entering RemoveTriggers")));
    }

    void serverAddressInUse()
    {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::LocalHost));
        Rig rig;
        rig.useEntry(QStringLiteral("Busy"), QStringLiteral("1"), QStringLiteral("1"),
            QStringLiteral("127.0.0.1"), QString::number(holder.serverPort()));
        rig.connect.DoDialer();
        QCOMPARE(rig.view.notices.last(), QStringLiteral("Error connecting. Address in use"));
        QVERIFY(!rig.view.terminalActive);
        QVERIFY(!rig.state.online());
    }

    // A client entry naming a host: looked up first; a cancelled look-up does
    // nothing, an unknown name gives "Cannot connect", a found one connects.
    void clientEntryLookUp_data()
    {
        QTest::addColumn<QList<std::optional<QString>>>("answers");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<bool>("connects");
        QTest::newRow("cancelled") << QList<std::optional<QString>>{std::nullopt} << QStringList() << false;
        QTest::newRow("unknown") << QList<std::optional<QString>>{QStringLiteral("0.0.0.0")}
                                 << QStringList{QStringLiteral("Cannot connect")} << false;
        QTest::newRow("found") << QList<std::optional<QString>>{QStringLiteral("127.0.0.1")} << QStringList()
                               << true;
    }
    void clientEntryLookUp()
    {
        QFETCH(QList<std::optional<QString>>, answers);
        QFETCH(QStringList, warnings);
        QFETCH(bool, connects);
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost));
        Rig rig;
        rig.lookup.answers = answers;
        rig.useEntry(QStringLiteral("Bbs"), QStringLiteral("1"), QStringLiteral("0"),
            QStringLiteral("bbs.example@"), QString::number(host.serverPort()));
        rig.connect.DoDialer();
        QCOMPARE(rig.lookup.asked, QStringList{QStringLiteral("bbs.example@")});
        QCOMPARE(rig.prompt.texts(), warnings);
        QCOMPARE(rig.port.isOpen(), connects);
        if (!connects)
            return;
        QCOMPARE(rig.view.notices.first(), QStringLiteral("Attempting connect to 127.0.0.1"));
        QTRY_VERIFY_WITH_TIMEOUT(host.hasPendingConnections(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(rig.view.caption, QStringLiteral("Tarnex 7.0  Bbs"), 20000);
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::TcpClient);
        rig.connect.Hangup1Click();
        QCOMPARE(rig.view.caption, QStringLiteral("Tarnex 7.0"));
        QVERIFY(!rig.port.isOpen());
    }

    // The entry's emulations go to the terminal; blanks and non-numbers
    // give the defaults. A modem entry whose line device does not exist is
    // refused with the reason.
    void entryEmulations()
    {
        Rig rig;
        QSignalSpy chosen(&rig.connect, &ConnectController::emulationsChosen);
        rig.useEntry(QStringLiteral("Modem"), QStringLiteral("0"), QStringLiteral("0"), QString(), QString());
        PhonebookEntry entry = rig.state.currentEntry();
        entry.set(PhoneField::Key, QString());
        entry.set(PhoneField::Term, QStringLiteral("x"));
        rig.state.setCurrentEntry(entry, QStringLiteral("Modem"));
        rig.connect.DoDialer();
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.at(0).at(0).toString(), QStringLiteral("ANSI"));
        QCOMPARE(chosen.at(0).at(1).toInt(), 1);
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.state.online());
        QCOMPARE(rig.prompt.texts(), QStringList{QStringLiteral("No line device is chosen for Modem.")});
        QCOMPARE(rig.state.connectionKind(), ConnectionKind::None);
    }

    // -START dials a phonebook entry; -TCP to a name that cannot be
    // resolved shows the notice and nothing more.
    void startupSteps()
    {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost));
        Rig rig;
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Name, QStringLiteral("Home"));
        entry.set(PhoneField::Contype, QStringLiteral("1"));
        entry.set(PhoneField::Wip, QStringLiteral("127.0.0.1"));
        entry.set(PhoneField::WPort, QString::number(host.serverPort()));
        rig.phonebook.add(entry);
        StartupConnect starter(rig.connect, rig.state, rig.view, rig.phonebook, rig.log);
        starter.run(StartupCommand::interpret({QStringLiteral("-start"), QStringLiteral("Home")}), QString());
        QCOMPARE(rig.state.currentSessionName(), QStringLiteral("Home"));
        QTRY_VERIFY_WITH_TIMEOUT(host.hasPendingConnections(), 20000);
        QVERIFY(rig.lookup.asked.isEmpty());

        Rig other;
        other.lookup.answers = {QStringLiteral("0.0.0.0")};
        StartupConnect second(other.connect, other.state, other.view, other.phonebook, other.log);
        second.run(StartupCommand::interpret({QStringLiteral("-TCP"), QStringLiteral("nowhere.invalid")}),
            QStringLiteral("Home"));
        QCOMPARE(other.lookup.asked, QStringList{QStringLiteral("nowhere.invalid")});
        QCOMPARE(other.view.notices, QStringList{QStringLiteral("Cannot connect")});
        QVERIFY(!other.port.isOpen());
    }
};

QTEST_GUILESS_MAIN(ConnectControllerTest)
#include "connect_controller.moc"
