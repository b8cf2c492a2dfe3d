#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "comms/line/Comport.h"
#include "comms/line/ComportLink.h"
#include "comms/line/DataPacket.h"
#include "support/ChainSpy.h"
#include "support/LinePeers.h"
#include "support/LineReader.h"

#include <unistd.h>

namespace {

QByteArray pattern(qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
    return out;
}

// Everything the far end receives, collected as it comes.
struct FarEnd {
    QSerialPort port;
    QByteArray got;
    bool open(const QString &path)
    {
        port.setPortName(path);
        QObject::connect(&port, &QSerialPort::readyRead, [this] { got += port.readAll(); });
        return port.open(QIODevice::ReadWrite);
    }
    void send(const QByteArray &bytes)
    {
        port.write(bytes);
        port.flush();
    }
};

} // namespace

class SerialLineTest : public QObject {
    Q_OBJECT
private:
    PtyPair *pty_ = nullptr;
    Comport *port_ = nullptr;
    FarEnd *far_ = nullptr;

private slots:
    void init()
    {
        pty_ = new PtyPair;
        QVERIFY(pty_->start());
        port_ = new Comport;
        port_->setDevicePath(pty_->near());
        port_->setBaud(9600);
        port_->open();
        QVERIFY(port_->isOpen());
        far_ = new FarEnd;
        QVERIFY(far_->open(pty_->far()));
    }
    void cleanup()
    {
        delete far_;
        delete port_;
        delete pty_;
    }

    // Every byte value in both directions, more than a buffer's worth, with
    // a settings change in between that applies to the open line.
    void bothDirectionsEveryByte()
    {
        LineReader reader(*port_);
        const QByteArray data = pattern(3 * Comport::bufferSize + 1000);
        far_->send(data);
        QTRY_COMPARE_WITH_TIMEOUT(reader.got.size(), data.size(), 60000);
        QCOMPARE(reader.got, data);

        port_->setBaud(115200);
        port_->setSoftwareFlow(SoftwareFlow::None);
        QCOMPARE(port_->serialSettings().baud, 115200);
        QVERIFY(port_->putBlock(data));
        // More than a buffer is queued: the next block waits for room.
        QVERIFY(!port_->putString(QStringLiteral("end")));
        QCOMPARE(port_->lastErrorCode(), ComportCode::OutputFull);
        bool sent = false;
        QTRY_VERIFY_WITH_TIMEOUT(sent || (sent = port_->putString(QStringLiteral("end"))), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(far_->got.size(), data.size() + 3, 60000);
        QCOMPARE(far_->got, data + "end");
        QTRY_COMPARE_WITH_TIMEOUT(port_->outBuffUsed(), 0, 30000);
    }

    // Nobody reads: the port stops at its full level and loses nothing.
    void fullBufferHoldsDataBack()
    {
        const QByteArray data = pattern(Comport::bufferSize * 2);
        far_->send(data);
        QTRY_VERIFY_WITH_TIMEOUT(port_->charReady() >= port_->bufferFull(), 30000);
        QTest::qWait(300);
        QVERIFY(port_->charReady() <= Comport::bufferSize);
        QCOMPARE(port_->peekChar(1), static_cast<unsigned char>(data[0]));
        QCOMPARE(port_->peekChar(port_->charReady() + 1), -1);
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += port_->getBlock(1000), got.size() == data.size()), 60000);
        QCOMPARE(got, data);
        QCOMPARE(port_->getChar(), -1);
    }

    // Text split across reads, in another letter case; case-sensitive
    // triggers do not fire on it; data up to the match is in the buffer
    // when the trigger fires.
    void dataTriggers()
    {
        const int loose = port_->addDataTrigger("login:", true);
        const int strict = port_->addDataTrigger("login:", false);
        QVERIFY(loose > 0 && strict > 0 && loose != strict);
        QList<int> fired;
        QByteArray bufferedAtFire;
        const HandlerRegistration handler
            = port_->events().dataTrigger.attach(HandlerStage::Window, [&](int handle) {
                  fired << handle;
                  bufferedAtFire = port_->getBlock(Comport::bufferSize);
                  return false;
              });
        far_->send("Welcome\r\nLoG");
        QTRY_VERIFY_WITH_TIMEOUT(port_->charReady() > 0, 20000);
        QTest::qWait(100);
        far_->send("In: more");
        QTRY_COMPARE_WITH_TIMEOUT(fired.size(), 1, 20000);
        QCOMPARE(fired.first(), loose);
        QVERIFY(bufferedAtFire.endsWith("In:"));
        far_->send("xlogin:login:");
        QTRY_COMPARE_WITH_TIMEOUT(fired.size(), 5, 20000);
        QCOMPARE(fired.mid(1), (QList<int>{loose, strict, loose, strict}));
        port_->removeTrigger(strict);
        port_->removeTrigger(strict); // not live any more: harmless
        QCOMPARE(port_->addDataTrigger(QByteArray(256, 'x'), true), 0);
        QCOMPARE(port_->lastErrorCode(), ComportCode::BadSetting);
    }

    // A timer fires once per arming; disarming or removing stops it.
    void timerTriggers()
    {
        const int timer = port_->addTimerTrigger();
        const int other = port_->addTimerTrigger();
        ChainSpy<int> fired(port_->events().timerTrigger);
        QList<int> handled;
        const HandlerToken token = port_->events().timerTrigger.add(HandlerStage::Window, [&](int handle) {
            handled << handle;
            return false;
        });
        port_->setTimerTrigger(timer, 2, true);
        port_->setTimerTrigger(other, 2, true);
        port_->setTimerTrigger(other, 2, false);
        QTRY_COMPARE_WITH_TIMEOUT(fired.size(), 1, 20000);
        QTest::qWait(300);
        QCOMPARE(fired, (QList<QList<QVariant>>{{timer}}));
        QCOMPARE(handled, QList<int>{timer});
        QVERIFY(port_->events().timerTrigger.remove(token));
        port_->setTimerTrigger(timer, 1, true);
        QTRY_COMPARE_WITH_TIMEOUT(fired.size(), 2, 20000);
        QCOMPARE(handled.size(), 1);
        port_->setTimerTrigger(timer, 1, true);
        port_->removeTrigger(timer);
        QTest::qWait(300);
        QCOMPARE(fired.size(), 2);
        QVERIFY(!port_->setTimerTrigger(timer, 1, true));
        QCOMPARE(port_->lastErrorCode(), ComportCode::BadSetting);
    }

    // The far end holds our output with XOFF: the queue fills, output-free
    // fires once XON lets it drain, and nothing is lost or reordered.
    void softwareFlowAndOutputFree()
    {
        port_->setSoftwareFlow(SoftwareFlow::Transmit);
        const int trigger = port_->addStatusTrigger(StatusTriggerType::OutputFree);
        ChainSpy<int> freeSpy(port_->events().statusTrigger);
        far_->send("\x13");
        QTest::qWait(300);
        const QByteArray data = pattern(Comport::bufferSize + 5000);
        port_->putBlock(data);
        port_->setStatusTrigger(trigger, 15872, true);
        QTest::qWait(500);
        QCOMPARE(freeSpy.count(), 0);
        QVERIFY(port_->outBuffFree() < 15872);
        QVERIFY(far_->got.size() < data.size());
        far_->send("\x11");
        QTRY_COMPARE_WITH_TIMEOUT(freeSpy.count(), 1, 20000);
        QCOMPARE(freeSpy.first().first().toInt(), trigger);
        QTRY_COMPARE_WITH_TIMEOUT(far_->got.size(), data.size(), 30000);
        QCOMPARE(far_->got, data);
        QCOMPARE(port_->charReady(), 0); // flow characters are not data
    }

    // Flushing drops output that has not left (custom flow characters hold
    // it back) and input not yet read.
    void flushBothWays()
    {
        port_->setXonChar('Q');
        port_->setXoffChar('S');
        port_->setSoftwareFlow(SoftwareFlow::Both);
        far_->send("S");
        QTest::qWait(300);
        port_->putBlock(pattern(Comport::bufferSize));
        QVERIFY(port_->outBuffUsed() > 4096);
        port_->flushOutBuffer();
        QVERIFY(port_->outBuffUsed() <= 4096);
        far_->send("Q");
        QTest::qWait(500);
        QVERIFY(far_->got.size() < Comport::bufferSize);

        far_->send("stale");
        QTRY_COMPARE_WITH_TIMEOUT(port_->charReady(), 5, 20000);
        port_->flushInBuffer();
        QCOMPARE(port_->charReady(), 0);
    }

    // A transfer claims the input when a trigger starts it: what follows
    // the trigger text, even in the same read, goes to the transfer only.
    void linkTakesInputFromTrigger()
    {
        LineReader terminal(*port_);
        std::unique_ptr<ComportLink> link;
        QByteArray engine;
        port_->addDataTrigger("rz\r", false);
        const HandlerRegistration handler
            = port_->events().dataTrigger.attach(HandlerStage::Window, [&](int) {
                  link = std::make_unique<ComportLink>(port_);
                  connect(link.get(), &ByteLink::received, this,
                      [&](const QByteArray &bytes) { engine += bytes; });
                  return false;
              });
        const QByteArray binary = pattern(50000);
        far_->send("hello rz\r" + binary);
        QTRY_COMPARE_WITH_TIMEOUT(engine.size(), binary.size(), 60000);
        QCOMPARE(engine, binary);
        QCOMPARE(terminal.got, QByteArray("hello rz\r"));

        link->send("reply");
        QTRY_COMPARE_WITH_TIMEOUT(far_->got, QByteArray("reply"), 20000);
        link.reset();
        far_->send("after");
        QTRY_COMPARE_WITH_TIMEOUT(terminal.got, QByteArray("hello rz\rafter"), 20000);
    }

    // Without yield, the wait handles no other event: data is found but
    // announced only afterwards, a due timer waits its turn.
    void waitForStringWithoutYield()
    {
        ChainSpy<const QByteArray &, qint64> available(port_->events().data);
        ChainSpy<int> timers(port_->events().timerTrigger);
        const int timer = port_->addTimerTrigger();
        port_->setTimerTrigger(timer, 1, true);
        far_->send("Some text then PROMPT> ");
        QVERIFY(port_->waitForString("prompt>", 91, false, true));
        QCOMPARE(available.count(), 0);
        QCOMPARE(timers.count(), 0);
        QVERIFY(!port_->waitForString("never", 4, false, true));
        QTRY_VERIFY_WITH_TIMEOUT(available.count() > 0, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(timers.count(), 1, 20000);
        QCOMPARE(port_->getBlock(100), QByteArray("Some text then PROMPT> "));

        far_->send("yielding ok");
        QVERIFY(port_->waitForString("OK", 91, true, true));
    }

    // Data packets: strings excluded, any letter case, re-armed or one-shot,
    // a start without an end within the time-out dropped.
    void dataPackets()
    {
        DataPacket looping(port_);
        looping.setStartString("(");
        looping.setEndString(")");
        looping.setTimeout(9);
        looping.setAutoEnable(true);
        looping.setEnabled(true);
        DataPacket once(port_);
        once.setStartString("wing");
        once.setEndString("ATE>");
        once.setIncludeStrings(true);
        once.setEnabled(true);
        QList<QByteArray> loops, onces;
        connect(&looping, &DataPacket::packet, this, [&](const QByteArray &d) { loops << d; });
        connect(&once, &DataPacket::packet, this, [&](const QByteArray &d) { onces << d; });
        QSignalSpy timedOut(&looping, &DataPacket::timedOut);

        far_->send(QByteArray("(4") + '\0' + "2) Wingate> (\xff) WINGATE>");
        QTRY_COMPARE_WITH_TIMEOUT(loops.size(), 2, 20000);
        QCOMPARE(loops,
            (QList<QByteArray>{QByteArray("4\0"
                                          "2",
                                   3),
                "\xff"}));
        QCOMPARE(onces, QList<QByteArray>{"Wingate>"});
        QVERIFY(!once.isArmed());

        far_->send("(partial");
        QTRY_COMPARE_WITH_TIMEOUT(timedOut.count(), 1, 20000);
        far_->send(") (7)");
        QTRY_COMPARE_WITH_TIMEOUT(loops.size(), 3, 20000);
        QCOMPARE(loops.last(), QByteArray("7"));
    }

    void modemLinesOnPseudoTerminal()
    {
        // A pseudo-terminal has no modem-control lines: reported, line unharmed.
        if (!port_->setDtr(true))
            QVERIFY(!port_->lastError().isEmpty());
        port_->setRts(false);
        port_->sendBreak(2, true);
        port_->putBlock("still works");
        QTRY_COMPARE_WITH_TIMEOUT(far_->got, QByteArray("still works"), 20000);
    }

    void logAndTrace()
    {
        QTemporaryDir folder;
        port_->setLogFolder(folder.path());
        QVERIFY(port_->setLogging(LogState::On));
        QVERIFY(port_->setTracing(LogState::Off));
        port_->putBlock("AB\x01");
        far_->send("xyz");
        QTRY_COMPARE_WITH_TIMEOUT(port_->charReady(), 3, 20000);
        QVERIFY(port_->setLogging(LogState::Dump));
        QVERIFY(port_->setTracing(LogState::Dump));
        QCOMPARE(port_->logging(), LogState::Off);
        QFile log(port_->logPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains(QStringLiteral("TX 000000  41 42 01")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("|AB.|")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("RX 000000  78 79 7A")), qPrintable(text));
        QVERIFY(!QFile::exists(port_->tracePath())); // tracing was off: nothing written
    }

    // The far end vanishing closes the line and reports it once.
    void farEndCloses()
    {
        LineReader reader(*port_);
        ChainSpy<bool> gone(port_->events().disconnected);
        far_->send("last words");
        QTRY_COMPARE_WITH_TIMEOUT(reader.got, QByteArray("last words"), 20000);
        delete far_;
        far_ = nullptr;
        pty_->stop();
        QTRY_COMPARE_WITH_TIMEOUT(gone.count(), 1, 20000);
        QVERIFY(!port_->isOpen());
        QTest::qWait(500);
        QCOMPARE(gone.count(), 1);
        QSignalSpy errors(port_, &Comport::errorOccurred);
        QVERIFY(!port_->putBlock("x"));
        QCOMPARE(port_->lastErrorCode(), ComportCode::NotOpen);
        QCOMPARE(errors.size(), 1);
    }

    // A handler that fails in every way it can (operations refused, an
    // exception thrown) costs that event only: the line goes on delivering.
    void failingHandlerKeepsTheLineAlive()
    {
        const int timer = port_->addTimerTrigger();
        const int stale = port_->addTimerTrigger();
        port_->removeTrigger(stale);
        QSignalSpy errors(port_, &Comport::errorOccurred);
        QByteArray got;
        int failures = 0;
        bool allRefused = false;
        port_->events().data.add(HandlerStage::Window, [&](const QByteArray &, qint64 count) -> bool {
            got += port_->getBlock(count);
            if (failures++ > 0)
                return false;
            allRefused = !port_->setTimerTrigger(stale, 1, true) && !port_->setStatusTrigger(stale, 0, true)
                && port_->addDataTrigger(QByteArray(), false) == 0;
            throw std::runtime_error("handler fault");
        });
        QList<int> timers;
        port_->events().timerTrigger.add(HandlerStage::Window, [&](int handle) -> bool {
            timers << handle;
            throw 42;
        });
        far_->send("first");
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("first"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(errors.size() >= 4, 5000);
        QVERIFY(port_->lastError().contains(QStringLiteral("handler fault")));
        QVERIFY(allRefused);
        far_->send("second");
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("firstsecond"), 20000);
        QVERIFY(port_->setTimerTrigger(timer, 1, true));
        QTRY_COMPARE_WITH_TIMEOUT(timers, QList<int>{timer}, 20000);
        far_->send("third");
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("firstsecondthird"), 20000);
    }

    // A start that is never ended holds at most one packet's worth: the data
    // is dropped and the next start is found.
    void dataPacketWithoutEndIsCapped()
    {
        LineReader reader(*port_);
        DataPacket packet(port_);
        packet.setStartString("Wing");
        packet.setEndString("ATE>");
        packet.setAutoEnable(true);
        packet.setEnabled(true);
        QList<QByteArray> got;
        connect(&packet, &DataPacket::packet, this, [&](const QByteArray &d) { got << d; });
        far_->send("Wing" + QByteArray(DataPacket::maxPacketBytes + 1000, 'x') + "Wing-small-ATE>");
        QTRY_COMPARE_WITH_TIMEOUT(got, QList<QByteArray>{"-small-"}, 20000);
    }

    // A wait that runs no event loop still keeps to the input buffer: a far
    // end that floods the line without the text fills it, and no more.
    void waitWithoutYieldKeepsTheBufferLimit()
    {
        // Another process writes, so the flood goes on while no event loop runs here.
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("flood"));
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(pattern(1 << 20)) == 1 << 20);
        file.close();
        QProcess writer;
        writer.start(QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("cat \"$0\" > \"$1\""), source, pty_->far()});
        QVERIFY(writer.waitForStarted());
        QVERIFY(!port_->waitForString("never sent", 36, false, false));
        QCoreApplication::processEvents();
        QVERIFY2(port_->charReady() <= Comport::bufferSize, qPrintable(QString::number(port_->charReady())));
        LineReader reader(*port_);
        reader.got = port_->getBlock(port_->charReady());
        QTRY_COMPARE_WITH_TIMEOUT(reader.got.size(), 1 << 20, 20000);
        QCOMPARE(reader.got, pattern(1 << 20));
        writer.kill();
        writer.waitForFinished();
    }

    void openErrors()
    {
        Comport second;
        second.setDevicePath(pty_->near());
        try {
            second.open();
            QFAIL("a second open of the same device succeeded");
        } catch (const ComportError &error) {
            QCOMPARE(error.code(), ComportCode::InUse);
            QVERIFY(error.message().contains(QStringLiteral("in use")));
        }
        second.setDevicePath(QStringLiteral("/dev/tarnex-no-such-device"));
        try {
            second.open();
            QFAIL("opening a missing device succeeded");
        } catch (const ComportError &error) {
            QCOMPARE(error.code(), ComportCode::DeviceMissing);
        }
        if (geteuid() == 0)
            QSKIP("permissions do not apply to root");
        QTemporaryDir dir;
        const QString locked = dir.filePath(QStringLiteral("ttyLocked"));
        QFile file(locked);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        file.setPermissions(QFileDevice::Permissions());
        second.setDevicePath(locked);
        try {
            second.open();
            QFAIL("opening an unreadable device succeeded");
        } catch (const ComportError &error) {
            QCOMPARE(error.code(), ComportCode::PermissionDenied);
            QVERIFY(error.message().contains(QStringLiteral("dialout")));
        }
    }
};

QTEST_GUILESS_MAIN(SerialLineTest)
#include "serial_line.moc"
