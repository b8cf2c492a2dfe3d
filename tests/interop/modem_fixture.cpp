#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "support/LinePeers.h"
#include "support/ModemFixture.h"
#include "support/TestFiles.h"

// The Hayes modem fixture as a terminal sees it through its pseudo-terminal.

namespace {

// The terminal's side of the modem line: what it types and what comes back.
class Terminal {
public:
    bool open(const QString &path)
    {
        port_.setPortName(path);
        return port_.open(QIODevice::ReadWrite);
    }
    void type(const QByteArray &bytes)
    {
        port_.write(bytes);
        port_.waitForBytesWritten(1000);
    }
    // Waits until text has arrived; true when it has.
    bool waitFor(const QByteArray &text, int ms = 10000)
    {
        QDeadlineTimer deadline(ms);
        while (!got.contains(text) && !deadline.hasExpired()) {
            QCoreApplication::processEvents(); // the test's own sockets
            port_.waitForReadyRead(20);
            got += port_.readAll();
        }
        return got.contains(text);
    }
    // Everything that arrives within ms, taken.
    QByteArray settle(int ms = 300)
    {
        waitFor(QByteArray(1, '\0') + "never", ms);
        return take();
    }
    QByteArray take() { return std::exchange(got, {}); }
    // Types a command and waits for its OK, verbose or numeric, after its echo.
    bool command(const QByteArray &line)
    {
        type(line + '\r');
        const QByteArray echo = line + '\r';
        auto answered = [&] {
            const QByteArray reply = got.startsWith(echo) ? got.mid(echo.size()) : got;
            return reply.endsWith("OK\r\n") || reply == "0\r";
        };
        QDeadlineTimer deadline(10000);
        while (!answered() && !deadline.hasExpired())
            waitFor(QByteArray(1, '\0'), 20);
        return answered() && !take().isEmpty();
    }
    QByteArray got;

private:
    QSerialPort port_;
};

quint16 refusedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort(); // closed when server goes
}

} // namespace

class ModemFixtureTest : public QObject {
    Q_OBJECT
private slots:
    void commands_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("echo, verbose") << QByteArray() << QByteArray("AT\r") << QByteArray("AT\r\r\nOK\r\n");
        QTest::newRow("E0") << QByteArray("ATE0") << QByteArray("AT\r") << QByteArray("\r\nOK\r\n");
        QTest::newRow("V0") << QByteArray("ATE0V0") << QByteArray("AT\r") << QByteArray("0\r");
        QTest::newRow("unknown") << QByteArray("ATE0") << QByteArray("ATY\r") << QByteArray("\r\nERROR\r\n");
        QTest::newRow("unknown, V0") << QByteArray("ATE0V0") << QByteArray("ATY\r") << QByteArray("4\r");
        QTest::newRow("value out of range")
            << QByteArray("ATE0") << QByteArray("ATE2\r") << QByteArray("\r\nERROR\r\n");
        QTest::newRow("S register out of range")
            << QByteArray("ATE0") << QByteArray("ATS300=1\r") << QByteArray("\r\nERROR\r\n");
        QTest::newRow("Q1 hides results, not texts") << QByteArray("ATE0") << QByteArray("ATQ1I3\rATQ0\r")
                                                     << QByteArray("\r\nTarnex test modem 1.0\r\n\r\nOK\r\n");
        QTest::newRow("S7?") << QByteArray("ATE0") << QByteArray("ATS7?\r")
                             << QByteArray("\r\n003\r\n\r\nOK\r\n");
        QTest::newRow("several on a line") << QByteArray("ATE0") << QByteArray("atS7=45 s7?I0\r")
                                           << QByteArray("\r\n045\r\n\r\n33600\r\n\r\nOK\r\n");
        QTest::newRow("Z resets") << QByteArray("ATE0V0S7=9") << QByteArray("ATZ\rATS7?\r")
                                  << QByteArray("\r\nOK\r\nATS7?\r\r\n003\r\n\r\nOK\r\n");
        QTest::newRow("&F resets") << QByteArray("ATE0V0") << QByteArray("AT&F\r")
                                   << QByteArray("\r\nOK\r\n");
        QTest::newRow("backspace edits") << QByteArray("ATE0") << QByteArray("ATY\bI3\r")
                                         << QByteArray("\r\nTarnex test modem 1.0\r\n\r\nOK\r\n");
        QTest::newRow("backspace echoed")
            << QByteArray() << QByteArray("ATY\b\r") << QByteArray("ATY\b \b\r\r\nOK\r\n");
        QTest::newRow("A/ repeats") << QByteArray("ATE0") << QByteArray("ATI1\rA/")
                                    << QByteArray("\r\n000\r\n\r\nOK\r\n\r\n000\r\n\r\nOK\r\n");
        QTest::newRow("no AT: ignored")
            << QByteArray("ATE0") << QByteArray("hello\rAT\r") << QByteArray("\r\nOK\r\n");
    }
    void commands()
    {
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, reply);
        ModemFixture modem;
        QVERIFY(modem.start({}));
        Terminal terminal;
        QVERIFY(terminal.open(modem.near()));
        if (!setup.isEmpty())
            QVERIFY2(terminal.command(setup), modem.log().constData());
        terminal.type(typed);
        terminal.waitFor(reply, 5000);
        QCOMPARE(terminal.got + terminal.settle(), reply);
    }

    // One dial of a number per row; the result's text follows X, V and the
    // speed options as a real modem's would.
    void dialResults_data()
    {
        QTest::addColumn<QByteArray>("outcome");
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("BUSY") << QByteArray("BUSY") << QByteArray("X4") << QByteArray("\r\nBUSY\r\n");
        QTest::newRow("BUSY at X2") << QByteArray("BUSY") << QByteArray("X2")
                                    << QByteArray("\r\nNO CARRIER\r\n");
        QTest::newRow("BUSY, V0") << QByteArray("BUSY") << QByteArray("V0") << QByteArray("7\r");
        QTest::newRow("NO DIALTONE") << QByteArray("NO DIALTONE") << QByteArray("X4")
                                     << QByteArray("\r\nNO DIALTONE\r\n");
        QTest::newRow("NO DIALTONE at X0")
            << QByteArray("NO DIALTONE") << QByteArray("X0") << QByteArray("\r\nNO CARRIER\r\n");
        QTest::newRow("NO CARRIER") << QByteArray("NO CARRIER") << QByteArray()
                                    << QByteArray("\r\nNO CARRIER\r\n");
        QTest::newRow("ERROR") << QByteArray("ERROR") << QByteArray() << QByteArray("\r\nERROR\r\n");
        QTest::newRow("NO ANSWER after S7")
            << QByteArray("NO ANSWER") << QByteArray("S7=1") << QByteArray("\r\nNO ANSWER\r\n");
        QTest::newRow("number not listed")
            << QByteArray() << QByteArray("S7=1") << QByteArray("\r\nNO ANSWER\r\n");
        QTest::newRow("refused port") << QByteArray("127.0.0.1:") + QByteArray::number(refusedPort())
                                      << QByteArray() << QByteArray("\r\nNO CARRIER\r\n");
        QTest::newRow("connect") << QByteArray("host") << QByteArray()
                                 << QByteArray("\r\nCONNECT 33600/ARQ\r\n");
        QTest::newRow("connect at X0")
            << QByteArray("host") << QByteArray("X0") << QByteArray("\r\nCONNECT\r\n");
        QTest::newRow("connect, V0") << QByteArray("host") << QByteArray("V0") << QByteArray("1\r");
    }
    void dialResults()
    {
        QFETCH(QByteArray, outcome);
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, result);
        CalledHost host;
        QVERIFY(host.listen());
        if (outcome == "host")
            outcome = host.address();
        ModemFixture modem;
        QVERIFY(modem.start({QStringLiteral("--connect-suffix"), QStringLiteral("/ARQ")},
            outcome.isEmpty() ? QByteArray("# none\n") : "555-0100 " + outcome + '\n'));
        Terminal terminal;
        QVERIFY(terminal.open(modem.near()));
        QVERIFY(terminal.command("ATE0" + setup));
        terminal.type("ATDT 555-0100\r");
        QVERIFY2(terminal.waitFor(result), terminal.got.constData());
        QCOMPARE(terminal.got + terminal.settle(), result);
    }

    // Each dial of a number takes its next outcome; the last one repeats.
    void busyThenConnect()
    {
        CalledHost host;
        QVERIFY(host.listen());
        ModemFixture modem;
        QVERIFY(modem.start({}, "5550100 BUSY," + host.address() + '\n'));
        Terminal terminal;
        QVERIFY(terminal.open(modem.near()));
        QVERIFY(terminal.command("ATE0"));
        terminal.type("ATDP555,0100\r");
        QVERIFY2(terminal.waitFor("BUSY\r\n"), modem.log().constData());
        terminal.take();
        terminal.type("ATDT5550100\r\n"); // a line feed after the CR is no key
        QVERIFY2(terminal.waitFor("CONNECT 33600\r\n"), modem.log().constData());
        QTRY_VERIFY(host.peer);
        host.peer->write("hello caller");
        QVERIFY(terminal.waitFor("hello caller"));
    }

    // A key pressed while a call is being set up cancels it.
    void keyCancelsDial()
    {
        ModemFixture modem;
        QVERIFY(modem.start({}, "1 SILENT\n"));
        Terminal terminal;
        QVERIFY(terminal.open(modem.near()));
        QVERIFY(terminal.command("ATE0"));
        terminal.type("ATD1\r");
        QCOMPARE(terminal.settle(1000), QByteArray());
        terminal.type("x");
        QVERIFY2(terminal.waitFor("\r\nNO CARRIER\r\n"), modem.log().constData());
        QVERIFY(terminal.command("AT"));
    }

    // The dialled host is inetutils telnetd running a login program.
    void dialTelnetd()
    {
        QTemporaryDir dir;
        const QString banner = TestFiles::writeScript(dir.path(), QStringLiteral("banner.sh"),
            "#!/bin/sh\necho 'Welcome to the modem board'\nexec cat\n");
        SocketExec telnetd;
        QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + banner));
        ModemFixture modem;
        QVERIFY(modem.start({}, "555-1234 127.0.0.1:" + QByteArray::number(telnetd.port()) + '\n'));
        Terminal terminal;
        QVERIFY(terminal.open(modem.near()));
        QVERIFY(terminal.command("ATE0X4"));
        terminal.type("ATDT555-1234\r");
        QVERIFY2(terminal.waitFor("\r\nCONNECT 33600\r\n"), modem.log().constData());
        refuseTelnetUntilAnswered([&](int ms) { return terminal.waitFor("Welcome to the modem board", ms); },
            [&] { return terminal.got; }, [&](const QByteArray &bytes) { terminal.type(bytes); });
        QVERIFY2(terminal.got.contains("Welcome to the modem board"), terminal.got.toHex(' ').constData());
    }

    // "+++" between guard times returns to command mode with the call kept;
    // ATO goes back on line, ATH ends the call. Pluses inside data are data.
    void escapeOnlineHangUp()
    {
        CalledHost host;
        QVERIFY(host.listen());
        ModemFixture modem;
        QVERIFY(modem.start({QStringLiteral("--guard-ms"), QStringLiteral("200")}, host.entry("42")));
        Terminal terminal;
        QVERIFY(terminal.open(modem.near()));
        QVERIFY(terminal.command("ATE0"));
        terminal.type("ATD42\r");
        QVERIFY(terminal.waitFor("CONNECT"));
        terminal.take();
        QTRY_VERIFY(host.peer);
        terminal.type("a+++b");
        QTRY_COMPARE(host.got, QByteArray("a+++b"));
        QCOMPARE(terminal.settle(500), QByteArray());

        terminal.type("+++");
        QVERIFY2(terminal.waitFor("\r\nOK\r\n", 3000), modem.log().constData());
        host.peer->write("while away");
        QVERIFY(terminal.command("ATI1")); // commands work, the call's data waits
        terminal.type("ATO\r");
        QVERIFY(terminal.waitFor("\r\nCONNECT 33600\r\nwhile away"));
        terminal.take();
        terminal.type("back");
        QTRY_VERIFY(host.got.endsWith("+++back"));

        QTest::qWait(300);
        terminal.type("+++");
        QVERIFY(terminal.waitFor("\r\nOK\r\n", 3000));
        QVERIFY(terminal.command("ATH"));
        QTRY_COMPARE(host.peer->state(), QAbstractSocket::UnconnectedState);
        terminal.type("ATO\r");
        QVERIFY(terminal.waitFor("\r\nNO CARRIER\r\n"));
    }

    void farEndClosing()
    {
        CalledHost host;
        QVERIFY(host.listen());
        ModemFixture modem;
        QVERIFY(modem.start({}, host.entry("42")));
        Terminal terminal;
        QVERIFY(terminal.open(modem.near()));
        QVERIFY(terminal.command("ATE0"));
        terminal.type("ATD42\r");
        QVERIFY(terminal.waitFor("CONNECT"));
        QTRY_VERIFY(host.peer);
        host.peer->write("bye");
        host.peer->disconnectFromHost();
        QVERIFY2(terminal.waitFor("bye\r\nNO CARRIER\r\n"), modem.log().constData());
        QVERIFY(terminal.command("AT")); // back in command mode
    }

    // An accepted connection rings; ATA, or S0 rings, answers it.
    void incomingCall_data()
    {
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<int>("rings");
        QTest::newRow("ATA") << QByteArray("ATE0") << 1;
        QTest::newRow("S0=2") << QByteArray("ATE0S0=2") << 2;
    }
    void incomingCall()
    {
        QFETCH(QByteArray, setup);
        QFETCH(int, rings);
        ModemFixture modem;
        QVERIFY(modem.start({QStringLiteral("--listen"), QStringLiteral("0"), QStringLiteral("--ring-ms"),
            QStringLiteral("200")}));
        Terminal terminal;
        QVERIFY(terminal.open(modem.near()));
        QVERIFY(terminal.command(setup));
        QTcpSocket caller;
        QByteArray heard;
        connect(&caller, &QTcpSocket::readyRead, this, [&] { heard += caller.readAll(); });
        caller.connectToHost(QHostAddress::LocalHost, modem.listenPort());
        QVERIFY(caller.waitForConnected(5000));
        QVERIFY(terminal.waitFor("\r\nRING\r\n"));
        if (rings == 1)
            terminal.type("ATA\r");
        QVERIFY2(terminal.waitFor("\r\nCONNECT 33600\r\n"), modem.log().constData());
        QCOMPARE(terminal.got.count("RING"), rings);
        caller.write("from the caller");
        QVERIFY(terminal.waitFor("from the caller"));
        terminal.type("to the caller");
        QTRY_COMPARE(heard, QByteArray("to the caller"));
    }

    void callerHangsUpWhileRinging()
    {
        ModemFixture modem;
        QVERIFY(modem.start({QStringLiteral("--listen"), QStringLiteral("0"), QStringLiteral("--ring-ms"),
            QStringLiteral("200")}));
        Terminal terminal;
        QVERIFY(terminal.open(modem.near()));
        QTcpSocket caller;
        caller.connectToHost(QHostAddress::LocalHost, modem.listenPort());
        QVERIFY(terminal.waitFor("\r\nRING\r\n"));
        caller.abort();
        QTRY_VERIFY(modem.log().contains("hung up before the answer"));
        terminal.take();
        QCOMPARE(terminal.settle(600), QByteArray());
        terminal.type("ATA\r");
        QVERIFY(terminal.waitFor("\r\nNO CARRIER\r\n"));
    }

    // Fault modes for tests of a program's error handling.
    void faultModes()
    {
        ModemFixture mute;
        QVERIFY(mute.start({QStringLiteral("--mute")}));
        Terminal terminal;
        QVERIFY(terminal.open(mute.near()));
        terminal.type("ATZ\r");
        QCOMPARE(terminal.settle(500), QByteArray());

        ModemFixture garbage;
        QVERIFY(garbage.start({QStringLiteral("--garbage")}));
        Terminal other;
        QVERIFY(other.open(garbage.near()));
        other.type("ATZ\r");
        other.waitFor(QByteArray(1, '\0') + "never", 500);
        const QByteArray got = other.take();
        QVERIFY(!got.isEmpty());
        QVERIFY2(
            std::all_of(got.begin(), got.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }),
            got.toHex(' ').constData());
    }
};

QTEST_GUILESS_MAIN(ModemFixtureTest)
#include "modem_fixture.moc"
