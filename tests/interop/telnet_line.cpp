#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "comms/line/Comport.h"
#include "comms/line/StatusLights.h"
#include "support/ChainSpy.h"
#include "support/LinePeers.h"
#include "support/LineReader.h"
#include "support/ProcessMemory.h"
#include "support/TestFiles.h"

namespace {

QByteArray everyByte(int repeats)
{
    QByteArray out;
    for (int r = 0; r < repeats; ++r)
        for (int i = 0; i < 256; ++i)
            out.append(static_cast<char>(i));
    return out;
}

void configureClient(Comport &port, quint16 tcpPort, bool telnet = true)
{
    port.setDeviceLayer(DeviceLayer::Socket);
    port.setSocketMode(SocketMode::Client);
    port.setSocketAddress(QStringLiteral("127.0.0.1"));
    port.setSocketPort(QString::number(tcpPort));
    port.setTelnet(telnet);
}

void configureServer(Comport &port)
{
    port.setDeviceLayer(DeviceLayer::Socket);
    port.setSocketMode(SocketMode::Server);
    port.setSocketAddress(QStringLiteral("127.0.0.1"));
    port.setSocketPort(QStringLiteral("0"));
}

} // namespace

// A host on loopback that keeps the one connection it accepts.
struct TestHost : QTcpServer {
    QTcpSocket *peer = nullptr;
    bool listen()
    {
        connect(this, &QTcpServer::newConnection, this, [this] { peer = nextPendingConnection(); });
        return QTcpServer::listen(QHostAddress::LocalHost);
    }
};

class TelnetLineTest : public QObject {
    Q_OBJECT
private slots:
    // inetutils telnetd negotiates authentication, terminal type, speed,
    // window size, line mode and more before it runs the program: our
    // terminal type and window size must reach it for the program's output
    // to arrive.
    void clientAgainstTelnetd()
    {
        QTemporaryDir dir;
        const QString script = TestFiles::writeScript(dir.path(), QStringLiteral("session.sh"),
            "#!/bin/sh\necho \"TERM=$TERM\"\nread line\necho \"SIZE=$(stty size)\"\nexec cat\n");
        QVERIFY(!script.isEmpty());
        SocketExec telnetd;
        QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + script));

        Comport port;
        configureClient(port, telnetd.port());
        port.setTerminalType("VT100");
        port.setWindowSize(90, 20);
        LineReader reader(port);
        ChainSpy<> connected(port.events().connected);
        port.open();
        QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(reader.got.contains("TERM="), 30000);
        // A resize while connected reaches the program's terminal.
        port.setWindowSize(100, 30);
        port.putString(QStringLiteral("\r"));
        QTRY_VERIFY_WITH_TIMEOUT(reader.got.contains("SIZE="), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(reader.got.indexOf("\n", reader.got.indexOf("SIZE=")) > 0, 30000);
        QVERIFY2(reader.got.toLower().contains("term=vt100"), reader.got.constData());
        QVERIFY2(reader.got.contains("SIZE=30 100"), reader.got.toHex(' ').constData());
        port.putString(QStringLiteral("echo me\r"));
        QTRY_VERIFY_WITH_TIMEOUT(reader.got.count("echo me") >= 2, 30000); // terminal echo and cat's copy
        QVERIFY(port.dcd());
        port.close();
    }

    // Our server takes the inetutils telnet client, run by a user on a terminal.
    void serverAcceptsTelnetClient()
    {
        Comport port;
        configureServer(port);
        LineReader reader(port);
        ChainSpy<> accepted(port.events().accepted);
        port.open();
        QVERIFY(port.listeningPort() != 0);
        QVERIFY(!port.dcd());
        PtyProgram telnet;
        QVERIFY(telnet.start(
            QStringLiteral("telnet"), {QStringLiteral("127.0.0.1"), QString::number(port.listeningPort())}));
        QTRY_COMPARE_WITH_TIMEOUT(accepted.count(), 1, 30000);
        QVERIFY(port.dcd());
        QCOMPARE(port.peerAddress(), QStringLiteral("127.0.0.1"));
        port.putString(QStringLiteral("Welcome to the board\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(telnet.output().contains("Welcome to the board"), 30000);
        telnet.write("typed here\r");
        QTRY_VERIFY_WITH_TIMEOUT(reader.got.contains("typed here"), 30000);
        QVERIFY2(!reader.got.contains('\xff'), reader.got.toHex().constData()); // negotiation never leaks
    }

    // Once BINARY is agreed every byte value passes unchanged both ways,
    // IAC included; a second caller is turned away while one is connected.
    void binaryRoundTrip()
    {
        Comport server;
        configureServer(server);
        server.open();
        Comport client;
        configureClient(client, server.listeningPort());
        LineReader atServer(server);
        LineReader atClient(client);
        StatusLights lights(&client);
        lights.setMonitoring(true);
        bool rxdLit = false;
        connect(
            &lights, &StatusLights::changed, this, [&](const StatusLights::State &s) { rxdLit |= s.rxd; });
        ChainSpy<> connected(client.events().connected);
        ChainSpy<> accepted(server.events().accepted);
        client.open();
        QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(accepted.count(), 1, 30000);

        QTcpSocket intruder;
        intruder.connectToHost(QStringLiteral("127.0.0.1"), server.listeningPort());
        QTRY_COMPARE_WITH_TIMEOUT(intruder.state(), QAbstractSocket::UnconnectedState, 30000);

        // Let negotiation settle, then send.
        QTest::qWait(300);
        const QByteArray data = everyByte(200) + "\r\0\r\n\r";
        client.putBlock(data);
        server.putBlock(data);
        QTRY_COMPARE_WITH_TIMEOUT(atServer.got.size(), data.size(), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(atClient.got.size(), data.size(), 60000);
        QCOMPARE(atServer.got, data);
        QCOMPARE(atClient.got, data);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(lights.state().dcd);
        QVERIFY(rxdLit);
        QTRY_VERIFY_WITH_TIMEOUT(!lights.state().rxd && !lights.state().txd, 30000);

        // The client leaving is one disconnect; the server goes on listening.
        ChainSpy<bool> gone(server.events().disconnected);
        client.close();
        QTRY_COMPARE_WITH_TIMEOUT(gone.count(), 1, 30000);
        QVERIFY(server.isOpen());
        QVERIFY(!server.dcd());
        QTRY_VERIFY_WITH_TIMEOUT(!lights.state().dcd, 30000);
    }

    // Raw mode talks to a host that does not speak telnet: bytes go as they are.
    void rawModeAgainstEcho()
    {
        SocketExec echo;
        QVERIFY(echo.start(QStringLiteral("/bin/cat")));
        Comport port;
        configureClient(port, echo.port(), false);
        LineReader reader(port);
        ChainSpy<> connected(port.events().connected);
        port.open();
        QTRY_COMPARE_WITH_TIMEOUT(connected.count(), 1, 30000);
        const QByteArray data = everyByte(64);
        port.putBlock(data);
        QTRY_COMPARE_WITH_TIMEOUT(reader.got.size(), data.size(), 60000);
        QCOMPARE(reader.got, data);
    }

    // A hostile host: IAC at a read's end, SB without SE, a megabyte of SB.
    // The data around the damage arrives; the far end closing is reported once.
    void hostilePeer()
    {
        TestHost host;
        QVERIFY(host.listen());
        QTcpSocket *&peer = host.peer;
        Comport port;
        configureClient(port, host.serverPort());
        LineReader reader(port);
        ChainSpy<bool> gone(port.events().disconnected);
        port.open();
        QTRY_VERIFY_WITH_TIMEOUT(peer != nullptr, 30000);
        peer->write("one\xff");
        peer->flush();
        QTRY_COMPARE_WITH_TIMEOUT(reader.got, QByteArray("one"), 30000);
        peer->write("\xff"
                    "two\xff\xfa\x18\x01\xff\xfb\x01three");
        QByteArray flood("\xff\xfa\x18", 3);
        flood += QByteArray(1 << 20, '\x01');
        peer->write(flood
            + "\xff\xf0"
              "four");
        peer->flush();
        QTRY_COMPARE_WITH_TIMEOUT(reader.got, QByteArray("one\xfftwothreefour"), 60000);
        peer->write("last");
        peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(gone.count(), 1, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(reader.got, QByteArray("one\xfftwothreefourlast"), 30000);
        QVERIFY(!port.isOpen());
        QTest::qWait(200);
        QCOMPARE(gone.count(), 1);
    }

    // A peer that never reads: output is refused once the buffer is full,
    // with a code, instead of queueing without end.
    void peerThatNeverReads()
    {
        TestHost host;
        QVERIFY(host.listen());
        QTcpSocket *&peer = host.peer;
        Comport port;
        configureClient(port, host.serverPort());
        port.setTelnet(false);
        port.open();
        QTRY_VERIFY_WITH_TIMEOUT(peer != nullptr, 30000);
        peer->setReadBufferSize(1);
        const QByteArray block(1024, 'x');
        qint64 accepted = 0;
        QElapsedTimer clock;
        clock.start();
        while (accepted < 64 * 1024 * 1024 && clock.elapsed() < 20000) {
            if (!port.putBlock(block))
                break;
            accepted += block.size();
            QCoreApplication::processEvents();
        }
        QVERIFY2(accepted < 64 * 1024 * 1024, qPrintable(QString::number(accepted)));
        QCOMPARE(port.lastErrorCode(), ComportCode::OutputFull);
        QVERIFY(port.outBuffUsed() <= Comport::bufferSize + block.size());
    }

    // A telnet peer that repeats requests and never reads our answers: what
    // we queue stays bounded (resident memory, a figure from /proc).
    void requestFloodStaysBounded_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("terminal type SEND") << QByteArray("\xff\xfa\x18\x01\xff\xf0", 6);
        QTest::newRow("window size DO/DONT") << QByteArray("\xff\xfd\x1f\xff\xfe\x1f", 6);
    }
    void requestFloodStaysBounded()
    {
        QFETCH(QByteArray, request);
        // The peer: offers the options, then sends the request 16 MB worth.
        const QString script
            = QStringLiteral("import socket, sys\n"
                             "s = socket.socket(); s.bind(('127.0.0.1', 0)); s.listen(1)\n"
                             "print(s.getsockname()[1], flush=True)\n"
                             "c, _ = s.accept()\n"
                             "c.sendall(b'\\xff\\xfd\\x18\\xff\\xfd\\x1f')\n"
                             "c.sendall(bytes.fromhex(sys.argv[1]) * (16 * 1024 * 1024 // 6))\n"
                             "print('done', flush=True)\n"
                             "import time; time.sleep(60)\n");
        QProcess peer;
        peer.start(
            QStringLiteral("python3"), {QStringLiteral("-c"), script, QString::fromLatin1(request.toHex())});
        QVERIFY(peer.waitForReadyRead(10000));
        const quint16 port = quint16(peer.readLine().trimmed().toUInt());
        QVERIFY(port != 0);
        Comport client;
        configureClient(client, port);
        const qint64 before = residentKb();
        client.open();
        QTest::qWait(5000);
        const qint64 grownKb = residentKb() - before;
        peer.kill();
        peer.waitForFinished();
        QVERIFY2(grownKb < 8 * 1024, qPrintable(QStringLiteral("%1 KB").arg(grownKb)));
    }

    void errors()
    {
        // Nobody listening: the error event carries the refused code.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 unused = closed.serverPort();
        closed.close();
        Comport client;
        configureClient(client, unused);
        ChainSpy<int, const QString &> failed(client.events().error);
        client.open();
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 30000);
        QCOMPARE(failed.first().first().toInt(), ComportCode::ConnectionRefused);
        QVERIFY(!client.isOpen());

        // A server address already taken.
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost));
        Comport server;
        configureServer(server);
        server.setSocketPort(QString::number(taken.serverPort()));
        try {
            server.open();
            QFAIL("listening on a taken port succeeded");
        } catch (const ComportError &error) {
            QCOMPARE(error.code(), ComportCode::AddressInUse);
            QVERIFY(error.message().contains(QStringLiteral("Address in use")));
        }

        // No address ("0" clears it, "0.0.0.0" means unresolved); an unknown service.
        for (const char *address : {"0", "0.0.0.0"}) {
            client.setSocketAddress(QString::fromLatin1(address));
            QVERIFY_THROWS_EXCEPTION(ComportError, client.open());
        }
        client.setSocketAddress(QStringLiteral("127.0.0.1"));
        client.setSocketPort(QStringLiteral("no-such-service"));
        QVERIFY_THROWS_EXCEPTION(ComportError, client.open());
    }
};

QTEST_GUILESS_MAIN(TelnetLineTest)
#include "telnet_line.moc"
