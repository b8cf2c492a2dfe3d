#include <QTest>

#include "comms/line/TelnetCodec.h"

namespace {

using T = TelnetCodec;

QByteArray b(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray all256()
{
    QByteArray out;
    for (int i = 0; i < 256; ++i)
        out.append(static_cast<char>(i));
    return out;
}

} // namespace

class TelnetCodecTest : public QObject {
    Q_OBJECT
private slots:
    // What each side answers to the other's requests.
    void negotiation_data()
    {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("client accepts remote echo")
            << false << b({T::IAC, T::WILL, T::Echo}) << b({T::IAC, T::DO, T::Echo});
        QTest::newRow("server refuses remote echo")
            << true << b({T::IAC, T::WILL, T::Echo}) << b({T::IAC, T::DONT, T::Echo});
        QTest::newRow("client sends terminal type")
            << false << b({T::IAC, T::DO, T::TerminalType}) << b({T::IAC, T::WILL, T::TerminalType});
        QTest::newRow("client reports window size")
            << false << b({T::IAC, T::DO, T::WindowSize})
            << b({T::IAC, T::WILL, T::WindowSize, T::IAC, T::SB, T::WindowSize, 0, 80, 0, 24, T::IAC, T::SE});
        QTest::newRow("unknown option refused (DO)")
            << false << b({T::IAC, T::DO, 37}) << b({T::IAC, T::WONT, 37});
        QTest::newRow("unknown option refused (WILL)")
            << true << b({T::IAC, T::WILL, 38}) << b({T::IAC, T::DONT, 38});
        QTest::newRow("linemode refused") << false << b({T::IAC, T::DO, 34}) << b({T::IAC, T::WONT, 34});
        QTest::newRow("DONT of an option that is off needs no answer")
            << false << b({T::IAC, T::DONT, 1}) << QByteArray();
        QTest::newRow("repeated WILL answered once")
            << false << b({T::IAC, T::WILL, T::Echo, T::IAC, T::WILL, T::Echo})
            << b({T::IAC, T::DO, T::Echo});
        QTest::newRow("terminal type request")
            << false << b({T::IAC, T::DO, T::TerminalType, T::IAC, T::SB, T::TerminalType, 1, T::IAC, T::SE})
            << (b({T::IAC, T::WILL, T::TerminalType, T::IAC, T::SB, T::TerminalType, 0}) + "VT100"
                   + b({T::IAC, T::SE}));
        QTest::newRow("terminal type not asked for without agreement")
            << false << b({T::IAC, T::SB, T::TerminalType, 1, T::IAC, T::SE}) << QByteArray();
    }
    void negotiation()
    {
        QFETCH(bool, server);
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, reply);
        TelnetCodec codec(server ? T::Side::Server : T::Side::Client);
        codec.setTerminalType("VT100");
        QByteArray answer;
        QCOMPARE(codec.decode(in, answer), QByteArray());
        QCOMPARE(answer, reply);
    }

    // Our own offers are not answered again when the peer agrees; binary
    // mode then carries every byte value unchanged both ways.
    void binaryAfterAgreement()
    {
        TelnetCodec client(T::Side::Client);
        TelnetCodec server(T::Side::Server);
        QByteArray toServer = client.start();
        QByteArray toClient = server.start();
        // Run the exchange until both sides fall quiet.
        for (int round = 0; round < 5 && !(toServer.isEmpty() && toClient.isEmpty()); ++round) {
            QByteArray nextToClient, nextToServer;
            QCOMPARE(server.decode(toServer, nextToClient), QByteArray());
            QCOMPARE(client.decode(toClient, nextToServer), QByteArray());
            toServer = nextToServer;
            toClient = nextToClient;
        }
        QVERIFY(toServer.isEmpty() && toClient.isEmpty());
        QVERIFY(client.sendsBinary() && client.receivesBinary());
        QVERIFY(server.sendsBinary() && server.receivesBinary());

        const QByteArray data = all256() + "\r\0\r\n\r" + all256();
        QByteArray reply;
        QCOMPARE(server.decode(client.encode(data), reply), data);
        QCOMPARE(client.decode(server.encode(data), reply), data);
        QVERIFY(reply.isEmpty());
        // Only IAC grows on the wire.
        QCOMPARE(client.encode(all256()).size(), 257);
    }

    // Outside binary mode a bare CR travels as CR NUL and comes back as CR.
    void crHandlingOutsideBinary()
    {
        TelnetCodec codec(T::Side::Client);
        QCOMPARE(codec.encode("a\rb\r\nc\r"), QByteArray("a\r\0b\r\nc\r\0", 9));
        QByteArray reply;
        QCOMPARE(codec.decode(QByteArray("x\r\0y\r\nz\r", 8), reply), QByteArray("x\ry\r\nz\r"));
        // The NUL of a CR NUL pair split across reads is still dropped.
        QCOMPARE(codec.decode(QByteArray("\0w", 2), reply), QByteArray("w"));
        QCOMPARE(codec.decode(b({0xff, 0xff, 0x80, 0xfe}), reply), b({0xff, 0x80, 0xfe}));
    }

    // Hostile input: commands split at every possible point, subnegotiation
    // without an end, an endless one; memory stays bounded and data after
    // the damage still comes through.
    void malformedInput()
    {
        TelnetCodec codec(T::Side::Client);
        const QByteArray stream = b({'a', T::IAC, T::IAC, T::IAC, T::DO, T::TerminalType, 'b', T::IAC, T::SB,
            T::TerminalType, 1, T::IAC, T::SE, 'c'});
        QByteArray whole;
        QByteArray reply;
        for (char c : stream)
            whole += codec.decode(QByteArray(1, c), reply);
        QCOMPARE(whole, b({'a', 0xff, 'b', 'c'}));
        QVERIFY(reply.contains(b({T::IAC, T::SB, T::TerminalType, 0})));

        // SB cut short by another command: the command is still obeyed.
        reply.clear();
        QCOMPARE(codec.decode(b({T::IAC, T::SB, T::TerminalType, 'x', T::IAC, T::WILL, T::Echo, 'd'}), reply),
            QByteArray("d"));
        QCOMPARE(reply, b({T::IAC, T::DO, T::Echo}));

        // An endless subnegotiation swallows its bytes without keeping them.
        reply.clear();
        QByteArray flood = b({T::IAC, T::SB, T::TerminalType, 1});
        flood += QByteArray(1 << 20, 'x');
        QCOMPARE(codec.decode(flood, reply), QByteArray());
        QCOMPARE(codec.decode(b({T::IAC, T::SE, 'e'}), reply), QByteArray("e"));
        QVERIFY(reply.isEmpty()); // the overlong request is not answered
    }

    void windowSizeEscapesIac()
    {
        TelnetCodec codec(T::Side::Client);
        QByteArray reply;
        codec.decode(b({T::IAC, T::DO, T::WindowSize}), reply);
        QCOMPARE(codec.setWindowSize(255, 0x1ff),
            b({T::IAC, T::SB, T::WindowSize, 0, 255, 255, 1, 255, 255, T::IAC, T::SE}));
        TelnetCodec refused(T::Side::Client);
        QVERIFY(refused.setWindowSize(100, 40).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TelnetCodecTest)
#include "telnet_codec.moc"
