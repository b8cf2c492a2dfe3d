#include <QTest>

#include "comms/modem/ModemResult.h"

Q_DECLARE_METATYPE(ModemResult::Kind)

class ModemResultsTest : public QObject {
    Q_OBJECT
private slots:
    void results_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<ModemResult::Kind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("speed");
        QTest::addColumn<QStringList>("compression");
        QTest::addColumn<QStringList>("correction");
        using K = ModemResult::Kind;
        const QStringList none;
        QTest::newRow("ok") << QByteArray("OK") << K::Ok << "OK" << 0LL << none << none;
        QTest::newRow("lower case, blanks")
            << QByteArray("  busy ") << K::Busy << "BUSY" << 0LL << none << none;
        QTest::newRow("no dial tone spelt apart")
            << QByteArray("NO DIAL TONE") << K::NoDialtone << "NO DIALTONE" << 0LL << none << none;
        QTest::newRow("plain connect")
            << QByteArray("CONNECT") << K::Connect << "CONNECT" << 0LL << none << none;
        QTest::newRow("arq v42bis") << QByteArray("CONNECT 28800/ARQ/V42BIS") << K::Connect << "CONNECT"
                                    << 28800LL << QStringList{"V42BIS"} << QStringList{"ARQ"};
        QTest::newRow("lapm") << QByteArray("CONNECT 14400 LAPM") << K::Connect << "CONNECT" << 14400LL
                              << none << QStringList{"LAPM"};
        QTest::newRow("v34 mnp5") << QByteArray("CONNECT 33600/V34/MNP5") << K::Connect << "CONNECT"
                                  << 33600LL << QStringList{"MNP5"} << QStringList{"V34"};
        QTest::newRow("v32bis") << QByteArray("CONNECT 14400/V32BIS") << K::Connect << "CONNECT" << 14400LL
                                << none << QStringList{"V32BIS"};
        QTest::newRow("numeric ok") << QByteArray("0") << K::Ok << "OK" << 0LL << none << none;
        QTest::newRow("numeric ring") << QByteArray("2") << K::Ring << "RING" << 0LL << none << none;
        QTest::newRow("numeric no carrier")
            << QByteArray("3") << K::NoCarrier << "NO CARRIER" << 0LL << none << none;
        QTest::newRow("numeric error") << QByteArray("4") << K::Error << "ERROR" << 0LL << none << none;
        QTest::newRow("numeric no dialtone")
            << QByteArray("6") << K::NoDialtone << "NO DIALTONE" << 0LL << none << none;
        QTest::newRow("numeric no answer")
            << QByteArray("8") << K::NoAnswer << "NO ANSWER" << 0LL << none << none;
        QTest::newRow("numeric connect 2400")
            << QByteArray("10") << K::Connect << "CONNECT" << 2400LL << none << none;
    }
    void results()
    {
        QFETCH(QByteArray, line);
        QFETCH(ModemResult::Kind, kind);
        QFETCH(QString, text);
        QFETCH(qint64, speed);
        QFETCH(QStringList, compression);
        QFETCH(QStringList, correction);
        const auto result = ModemResult::parse(line);
        QVERIFY(result);
        QCOMPARE(result->kind, kind);
        QCOMPARE(result->text, text);
        QCOMPARE(result->speed, speed);
        QCOMPARE(result->compression, compression);
        QCOMPARE(result->errorCorrection, correction);
    }

    // Echoed commands, data and noise are no results.
    void noResults_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("echo") << QByteArray("ATDT5551234");
        QTest::newRow("word starting with a result") << QByteArray("RINGING");
        QTest::newRow("connected") << QByteArray("CONNECTED");
        QTest::newRow("sentence") << QByteArray("BUSY LINE");
        QTest::newRow("unknown number") << QByteArray("99");
        QTest::newRow("binary") << QByteArray("\x01\xff\x80 OK", 6);
    }
    void noResults()
    {
        QFETCH(QByteArray, line);
        QVERIFY(!ModemResult::parse(line));
    }
};

QTEST_GUILESS_MAIN(ModemResultsTest)
#include "modem_results.moc"
