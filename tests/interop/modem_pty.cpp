#include <QSignalSpy>
#include <QTest>

#include "comms/line/Comport.h"
#include "comms/modem/Dialer.h"
#include "comms/modem/Modem.h"
#include "support/AtResponder.h"
#include "support/LinePeers.h"
#include "support/LineReader.h"

#include <memory>

namespace {

// The modem object on one end of a pseudo-terminal pair, a scripted modem
// on the other, and a reader standing in for the terminal.
struct ModemOnPty {
    PtyPair pty;
    Comport port;
    std::unique_ptr<LineReader> reader;
    std::unique_ptr<Modem> modem;
    AtResponder far;

    bool start()
    {
        if (!pty.start() || !far.open(pty.far()))
            return false;
        port.setDevicePath(pty.near());
        port.setBaud(19200);
        port.open();
        reader = std::make_unique<LineReader>(port);
        modem = std::make_unique<Modem>(port);
        return modem->setEnabled(true);
    }

    // Dials and waits for the call to come up.
    bool connect(const QByteArray &reply = "\r\nCONNECT 9600\r\n")
    {
        far.on("ATDT", {reply});
        QSignalSpy up(modem.get(), &Modem::connected);
        modem->dial(QStringLiteral("5551234"));
        return up.wait(5000) && modem->isConnected();
    }
};

} // namespace

class ModemPtyTest : public QObject {
    Q_OBJECT
private slots:
    // Final results end a command; data is the last byte: LF for verbose, CR for numeric.
    void commandResults_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("lastByte");
        QTest::addColumn<QString>("text");
        QTest::newRow("verbose ok") << QByteArray("ATZ\r\r\nOK\r\n") << 10 << "OK";
        QTest::newRow("verbose error") << QByteArray("\r\nERROR\r\n") << 10 << "ERROR";
        QTest::newRow("numeric ok") << QByteArray("0\r") << 13 << "OK";
        QTest::newRow("numeric error") << QByteArray("4\r") << 13 << "ERROR";
        QTest::newRow("garbage before ok") << QByteArray("\x01\xff\x80zz\r\n~~~\r\nOK\r\n") << 10 << "OK";
        QTest::newRow("overlong line then ok") << QByteArray(300, 'x') + "OK\r\nOK\r\n" << 10 << "OK";
    }
    void commandResults()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, lastByte);
        QFETCH(QString, text);
        ModemOnPty line;
        QVERIFY(line.start());
        line.far.on("ATZ", {reply});
        QSignalSpy done(line.modem.get(), &Modem::commandProcessed);
        QSignalSpy results(line.modem.get(), &Modem::resultText);
        line.modem->sendCommand(QStringLiteral("ATZ^M"));
        QVERIFY(done.wait(5000));
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), lastByte);
        QCOMPARE(results.last().at(0).toString(), text);
        QCOMPARE(line.far.commands, QList<QByteArray>{"ATZ"});
        // Everything the modem said still reaches the terminal.
        QVERIFY(line.reader->got.endsWith(reply.right(4)));
    }

    // Dial results: connect with its speed, or the failure text.
    void dialResults_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<qint64>("speed");
        QTest::newRow("connect with tags")
            << QByteArray("\r\nCONNECT 28800/ARQ/V42BIS\r\n") << true << "" << 28800LL;
        QTest::newRow("numeric connect 2400") << QByteArray("10\r") << true << "" << 2400LL;
        QTest::newRow("plain connect") << QByteArray("\r\nCONNECT\r\n") << true << "" << 0LL;
        QTest::newRow("busy") << QByteArray("\r\nBUSY\r\n") << false << "BUSY" << 0LL;
        QTest::newRow("numeric busy") << QByteArray("7\r") << false << "BUSY" << 0LL;
        QTest::newRow("no answer") << QByteArray("\r\nNO ANSWER\r\n") << false << "NO ANSWER" << 0LL;
        QTest::newRow("numeric no dialtone") << QByteArray("6\r") << false << "NO DIALTONE" << 0LL;
    }
    void dialResults()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, up);
        QFETCH(QString, failure);
        QFETCH(qint64, speed);
        ModemOnPty line;
        QVERIFY(line.start());
        line.far.on("ATDT", {"ATDT5551234\r" + reply});
        QSignalSpy connected(line.modem.get(), &Modem::connected);
        QSignalSpy answered(line.modem.get(), &Modem::isConnectedEvent);
        QSignalSpy failed(line.modem.get(), &Modem::connectFailed);
        QSignalSpy speeds(line.modem.get(), &Modem::lineSpeed);
        line.modem->dial(QStringLiteral("5551234"));
        QTRY_COMPARE_WITH_TIMEOUT(connected.size() + failed.size(), 1, 5000);
        QCOMPARE(line.far.commands, QList<QByteArray>{"ATDT5551234"});
        QCOMPARE(connected.size(), up ? 1 : 0);
        QCOMPARE(line.modem->isConnected(), up);
        QCOMPARE(answered.size(), 0);
        if (!up)
            QCOMPARE(failed.at(0).at(0).toString(), failure);
        QCOMPARE(speeds.size(), speed ? 1 : 0);
        if (speed)
            QCOMPARE(speeds.at(0).at(0).toLongLong(), speed);
        // The DTE rate stays locked whatever the line speed.
        QCOMPARE(line.port.serialSettings().baud, 19200);
    }

    // BUSY, then a connection on the second attempt after the countdown.
    void dialerRetriesAfterBusy()
    {
        ModemOnPty line;
        QVERIFY(line.start());
        line.far.on("ATDT", {"\r\nBUSY\r\n", "\r\nCONNECT 14400 LAPM\r\n"});
        Dialer dialer(*line.modem);
        dialer.setNumber(QStringLiteral("5551234"));
        dialer.setMaxTries(3);
        dialer.setRetrySeconds(2);
        QSignalSpy attempts(&dialer, &Dialer::attemptStarted);
        QSignalSpy countdown(&dialer, &Dialer::retryCountdown);
        QSignalSpy status(&dialer, &Dialer::statusText);
        QSignalSpy finished(&dialer, &Dialer::finished);
        dialer.run();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(attempts.size(), 2);
        QCOMPARE(attempts.at(1), (QVariantList{2, 3}));
        QList<int> seconds;
        for (const auto &args : countdown)
            seconds << args.at(0).toInt();
        QCOMPARE(seconds, (QList<int>{2, 1, 0}));
        QStringList texts;
        for (const auto &args : status)
            texts << args.at(0).toString();
        QVERIFY2(texts.contains(QStringLiteral("BUSY")), qPrintable(texts.join(u'|')));
        QVERIFY(texts.contains(QStringLiteral("CONNECT 14400 LAPM")));
        QCOMPARE(line.far.commands.size(), 2);
        QVERIFY(!dialer.isRunning());
    }

    // NO DIALTONE and ERROR end the run at once; other failures use up the tries.
    void dialerGivesUp_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("attempts");
        QTest::newRow("no dialtone") << QByteArray("\r\nNO DIALTONE\r\n") << 1;
        QTest::newRow("error") << QByteArray("\r\nERROR\r\n") << 1;
        QTest::newRow("busy every time") << QByteArray("\r\nBUSY\r\n") << 3;
    }
    void dialerGivesUp()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, attempts);
        ModemOnPty line;
        QVERIFY(line.start());
        line.far.on("ATDT", {reply});
        Dialer dialer(*line.modem);
        dialer.setNumber(QStringLiteral("5551234"));
        dialer.setMaxTries(3);
        dialer.setRetrySeconds(0);
        QSignalSpy finished(&dialer, &Dialer::finished);
        dialer.run();
        QVERIFY(finished.wait(10000));
        QTest::qWait(300);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QCOMPARE(line.far.commands.size(), attempts);
    }

    // Cancel while the modem dials: the cancel string goes out and the run ends false once.
    void cancelDuringDial()
    {
        ModemOnPty line;
        QVERIFY(line.start());
        line.modem->commands().dialCancel = QStringLiteral("ATH^M");
        line.far.on("ATDT", {""});
        line.far.on("ATH", {"\r\nOK\r\n"});
        Dialer dialer(*line.modem);
        dialer.setNumber(QStringLiteral("5551234"));
        dialer.setMaxTries(3);
        QSignalSpy finished(&dialer, &Dialer::finished);
        dialer.run();
        QTRY_COMPARE_WITH_TIMEOUT(line.far.commands.size(), 1, 5000);
        dialer.cancel();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QTRY_COMPARE_WITH_TIMEOUT(line.far.commands, (QList<QByteArray>{"ATDT5551234", "ATH"}), 5000);
        QTest::qWait(300);
        QCOMPARE(finished.size(), 1);
        QVERIFY(!line.modem->isConnected());
    }

    // Two RINGs, then the answer command; the call that comes up is an answered one.
    void answersAfterTwoRings()
    {
        ModemOnPty line;
        QVERIFY(line.start());
        line.far.on("ATA", {"\r\nCONNECT 9600/ARQ\r\n"});
        QSignalSpy answered(line.modem.get(), &Modem::isConnectedEvent);
        QSignalSpy speeds(line.modem.get(), &Modem::lineSpeed);
        line.modem->answerAfter(2);
        line.far.send("\r\nRING\r\n");
        QTest::qWait(300);
        QVERIFY(line.far.commands.isEmpty());
        line.far.send("\r\nRING\r\n");
        QVERIFY(answered.wait(5000));
        QCOMPARE(line.far.commands, QList<QByteArray>{"ATA"});
        QCOMPARE(speeds.at(0).at(0).toLongLong(), 9600);
        QVERIFY(line.modem->isConnected());
    }

    // A mute modem: the command still completes after its time-out, with a failure to log.
    void muteModemTimesOut()
    {
        ModemOnPty line;
        QVERIFY(line.start());
        QSignalSpy done(line.modem.get(), &Modem::commandProcessed);
        QSignalSpy failures(line.modem.get(), &Modem::commandFailed);
        line.modem->sendCommand(QStringLiteral("ATZ^M"));
        QVERIFY(done.wait(Modem::commandTimeoutTicks * 1000 / 18 + 2000));
        QCOMPARE(done.at(0).at(0).toInt(), 0);
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures.at(0).at(0).toString().contains(QStringLiteral("ATZ^M")));

        // A dial that never gets a result fails rather than waiting for ever.
        line.modem->setCallTimeout(500);
        Dialer dialer(*line.modem);
        dialer.setNumber(QStringLiteral("1"));
        QSignalSpy finished(&dialer, &Dialer::finished);
        dialer.run();
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
    }

    // A pty cannot drop DTR: "+++" between guard silences, then ATH0.
    void hangupOnPtyUsesEscape()
    {
        ModemOnPty line;
        QVERIFY(line.start());
        QVERIFY(line.connect());
        constexpr int guardMs = 400;
        line.modem->setGuardTime(guardMs);
        line.far.on("+++", {"\r\nOK\r\n"});
        line.far.on("ATH0", {"\r\nOK\r\n"});
        QSignalSpy done(line.modem.get(), &Modem::commandProcessed);
        QSignalSpy lost(line.modem.get(), &Modem::carrierLost);
        const qint64 dialled = line.far.arrivals.last();
        line.modem->hangup();
        QVERIFY(!line.modem->isConnected());
        QVERIFY(done.wait(5000));
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), 10);
        QCOMPARE(line.far.commands, (QList<QByteArray>{"ATDT5551234", "+++", "ATH0"}));
        const qint64 escape = line.far.arrivals.at(1);
        const qint64 command = line.far.arrivals.at(2);
        QVERIFY2(escape - dialled >= guardMs, qPrintable(QString::number(escape - dialled)));
        QVERIFY2(command - escape >= guardMs - 20, qPrintable(QString::number(command - escape)));
        QCOMPARE(lost.size(), 0);
    }

    // In data mode only NO CARRIER on a line of its own ends the call.
    void noCarrierDuringCall()
    {
        ModemOnPty line;
        QVERIFY(line.start());
        QVERIFY(line.connect());
        QSignalSpy lost(line.modem.get(), &Modem::carrierLost);
        QSignalSpy failed(line.modem.get(), &Modem::connectFailed);
        line.far.send("login: BUSY\r\nOK\r\nERROR\r\nsay NO CARRIER here\r\n");
        QTest::qWait(300);
        QCOMPARE(lost.size(), 0);
        QVERIFY(line.modem->isConnected());
        line.far.send("\r\nNO CARRIER\r\n");
        QVERIFY(lost.wait(5000));
        QCOMPARE(lost.size(), 1);
        QCOMPARE(failed.size(), 0);
        QVERIFY(!line.modem->isConnected());
    }

    void refusesSocketPort()
    {
        Comport port;
        port.setDeviceLayer(DeviceLayer::Socket);
        Modem modem(port);
        QVERIFY(!modem.setEnabled(true));
        QVERIFY(!modem.isEnabled());
        QVERIFY(!modem.lastError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(ModemPtyTest)
#include "modem_pty.moc"
