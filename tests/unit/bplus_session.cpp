#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "comms/screen/ScreenText.h"
#include "comms/screen/Termemu.h"
#include "comms/transfer/bplus/BPlusHost.h"
#include "comms/transfer/bplus/BPlusPacket.h"
#include "comms/transfer/bplus/BPlusTrigger.h"
#include "support/BPlusPair.h"
#include "support/KermitPeers.h"
#include "support/LinkPair.h"
#include "support/NoiseRelay.h"

// Our terminal side against our host side over in-memory links.
class BPlusSessionTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir terminalDir_;
    QTemporaryDir hostDir_;

    QString terminalPath(const QString &name) const { return terminalDir_.filePath(name); }
    QString hostPath(const QString &name) const { return hostDir_.filePath(name); }

private slots:
    void init()
    {
        for (QTemporaryDir *dir : {&terminalDir_, &hostDir_})
            for (const QString &name : QDir(dir->path()).entryList(QDir::Files))
                QFile::remove(dir->filePath(name));
    }

    void transfersFiles_data()
    {
        QTest::addColumn<bool>("download");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("checkMethod");
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("blocks");
        QTest::newRow("download crc window 1") << true << 100000 << 1 << 1 << 8;
        QTest::newRow("upload crc window 1") << false << 100000 << 1 << 1 << 8;
        QTest::newRow("download checksum") << true << 30000 << 0 << 1 << 8;
        QTest::newRow("upload checksum no send-ahead") << false << 30000 << 0 << 0 << 8;
        QTest::newRow("download wide window 512") << true << 70001 << 1 << 3 << 4;
        QTest::newRow("download empty") << true << 0 << 1 << 1 << 8;
        QTest::newRow("upload one block exactly") << false << 1024 << 1 << 1 << 8;
    }
    void transfersFiles()
    {
        QFETCH(bool, download);
        QFETCH(int, size);
        QFETCH(int, checkMethod);
        QFETCH(int, window);
        QFETCH(int, blocks);
        // Every byte value, the framing characters among them, then random data.
        QByteArray data;
        for (int i = 0; i < 256 && data.size() < size; ++i)
            data.append(static_cast<char>(i));
        data += TestFiles::randomBytes(size - data.size(), 7);

        LinkPair links;
        BPlusPair pair(&links.a, &links.b, terminalDir_.path(), hostDir_.path());
        pair.hostParams.checkMethod = static_cast<quint8>(checkMethod);
        pair.hostParams.windowSend = pair.hostParams.windowReceive = static_cast<quint8>(window);
        pair.hostParams.blockSize = static_cast<quint8>(blocks);
        TestFiles::writeIn(download ? hostDir_.path() : terminalDir_.path(), "file.bin", data);
        if (download)
            pair.download(hostPath("file.bin"));
        else
            pair.upload(terminalPath("file.bin"), "stored.bin");
        QVERIFY(pair.wait());
        QCOMPARE(pair.terminalCode, 0);
        QCOMPARE(pair.hostCode, 0);
        const QString received = download ? terminalPath("file.bin") : hostPath("stored.bin");
        QVERIFY(QFileInfo::exists(received));
        QCOMPARE(TestFiles::read(received), data);
    }

    // A partial download is offered for resuming; the host sends the rest
    // when its copy starts the same, or starts again (or gives up) when not.
    void resumesPartialDownload_data()
    {
        QTest::addColumn<bool>("sameStart");
        QTest::addColumn<int>("hostResume");
        QTest::addColumn<int>("terminalCode");
        QTest::newRow("same start") << true << 2 << 0;
        QTest::newRow("different start, restart") << false << 2 << 0;
        QTest::newRow("different start, resume refused") << false << 1 << int(TransferResult::ProtocolError);
    }
    void resumesPartialDownload()
    {
        QFETCH(bool, sameStart);
        QFETCH(int, hostResume);
        QFETCH(int, terminalCode);
        const QByteArray data = TestFiles::randomBytes(200000, 11);
        const QByteArray partial = sameStart ? data.left(150000) : TestFiles::randomBytes(150000, 12);
        TestFiles::writeIn(hostDir_.path(), "file.bin", data);
        TestFiles::writeIn(terminalDir_.path(), "file.bin.part", partial);

        LinkPair links;
        qint64 carried = 0;
        connect(
            &links.a, &ByteLink::received, this, [&carried](const QByteArray &b) { carried += b.size(); });
        BPlusPair pair(&links.a, &links.b, terminalDir_.path(), hostDir_.path());
        pair.hostParams.downloadResume = static_cast<quint8>(hostResume);
        pair.download(hostPath("file.bin"));
        QVERIFY(pair.wait());
        QCOMPARE(pair.terminalCode, terminalCode);
        if (terminalCode == 0) {
            QCOMPARE(TestFiles::read(terminalPath("file.bin")), data);
            QCOMPARE(carried < 100000, sameStart);
            QVERIFY(!QFileInfo::exists(terminalPath("file.bin.part")));
        } else {
            QVERIFY(!QFileInfo::exists(terminalPath("file.bin")));
            QCOMPARE(TestFiles::read(terminalPath("file.bin.part")), partial);
        }
    }

    // The line drops mid-download; the next session picks up where it stopped.
    void resumesAfterLineDrop()
    {
        const QByteArray data = TestFiles::randomBytes(300000, 21);
        TestFiles::writeIn(hostDir_.path(), "file.bin", data);
        {
            LinkPair near;
            LinkPair far;
            NoiseRelay relay(&near.b, &far.a, NoiseRelay::Settings{1, 0.0, 0.0, 0, 120000});
            connect(&relay, &NoiseRelay::lineCut, this, [&] {
                near.close();
                far.close();
            });
            BPlusPair pair(&near.a, &far.b, terminalDir_.path(), hostDir_.path());
            pair.download(hostPath("file.bin"));
            QVERIFY(pair.wait());
            QCOMPARE(pair.terminalCode, int(TransferResult::CarrierLost));
            QVERIFY(!QFileInfo::exists(terminalPath("file.bin")));
            QVERIFY(QFileInfo(terminalPath("file.bin.part")).size() > 50000);
        }
        LinkPair links;
        qint64 carried = 0;
        connect(
            &links.a, &ByteLink::received, this, [&carried](const QByteArray &b) { carried += b.size(); });
        BPlusPair pair(&links.a, &links.b, terminalDir_.path(), hostDir_.path());
        pair.download(hostPath("file.bin"));
        QVERIFY(pair.wait());
        QCOMPARE(pair.terminalCode, 0);
        QCOMPARE(TestFiles::read(terminalPath("file.bin")), data);
        QVERIFY(carried < 250000);
    }

    // Damaged and lost bytes: the file arrives identical or the transfer
    // fails without leaving a file that looks complete.
    void survivesNoise_data()
    {
        QTest::addColumn<bool>("download");
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<double>("flip");
        QTest::addColumn<double>("drop");
        QTest::addColumn<bool>("mustSucceed");
        QTest::newRow("download light") << true << 1u << 2e-4 << 1e-4 << true;
        QTest::newRow("upload light") << false << 2u << 2e-4 << 1e-4 << true;
        QTest::newRow("download flips") << true << 3u << 3e-4 << 0.0 << true;
        QTest::newRow("upload drops") << false << 4u << 0.0 << 3e-4 << true;
        // Most 1K packets damaged: success is not expected, a wrong file never.
        QTest::newRow("download heavy") << true << 5u << 3e-3 << 2e-3 << false;
        QTest::newRow("upload heavy") << false << 6u << 2e-3 << 3e-3 << false;
    }
    void survivesNoise()
    {
        QFETCH(bool, download);
        QFETCH(quint32, seed);
        QFETCH(double, flip);
        QFETCH(double, drop);
        QFETCH(bool, mustSucceed);
        const QByteArray data = TestFiles::randomBytes(200000, seed);
        TestFiles::writeIn(download ? hostDir_.path() : terminalDir_.path(), "file.bin", data);
        LinkPair near;
        LinkPair far;
        NoiseRelay relay(&near.b, &far.a, NoiseRelay::Settings{seed, flip, drop, 200, -1});
        BPlusPair pair(&near.a, &far.b, terminalDir_.path(), hostDir_.path());
        if (download)
            pair.download(hostPath("file.bin"));
        else
            pair.upload(terminalPath("file.bin"), "stored.bin");
        QVERIFY(pair.wait(600));
        const int receiverCode = download ? pair.terminalCode : pair.hostCode;
        const QString received = download ? terminalPath("file.bin") : hostPath("stored.bin");
        if (receiverCode == 0)
            QCOMPARE(TestFiles::read(received), data);
        else
            QVERIFY(!QFileInfo::exists(received));
        if (mustSucceed) {
            QCOMPARE(receiverCode, 0);
            QVERIFY(relay.bytesFlipped() + relay.bytesDropped() > 0);
        }
    }

    void cancelsFromEitherSide_data()
    {
        QTest::addColumn<bool>("terminalCancels");
        QTest::addColumn<bool>("download");
        QTest::newRow("terminal cancels a download") << true << true;
        QTest::newRow("host cancels an upload") << false << false;
        QTest::newRow("terminal cancels an upload") << true << false;
    }
    void cancelsFromEitherSide()
    {
        QFETCH(bool, terminalCancels);
        QFETCH(bool, download);
        const QByteArray data = TestFiles::randomBytes(3000000, 31);
        TestFiles::writeIn(download ? hostDir_.path() : terminalDir_.path(), "file.bin", data);
        LinkPair links;
        BPlusPair pair(&links.a, &links.b, terminalDir_.path(), hostDir_.path());
        if (download)
            pair.download(hostPath("file.bin"));
        else
            pair.upload(terminalPath("file.bin"), "stored.bin");
        // Cancel as the data flows, so a fast machine cannot finish the file first.
        qint64 arrived = 0;
        MemoryLink *receiving = download ? &links.a : &links.b;
        QObject::connect(receiving, &ByteLink::received, receiving, [&](const QByteArray &bytes) {
            if (arrived <= 100000 && (arrived += bytes.size()) > 100000) {
                if (terminalCancels)
                    pair.terminal.cancel();
                else
                    pair.host->cancel();
            }
        });
        QVERIFY(pair.wait());
        QCOMPARE(pair.terminalCode,
            int(terminalCancels ? TransferResult::CancelledLocally : TransferResult::CancelledByRemote));
        QCOMPARE(pair.hostCode,
            int(terminalCancels ? TransferResult::CancelledByRemote : TransferResult::CancelledLocally));
        QVERIFY(!QFileInfo::exists(download ? terminalPath("file.bin") : hostPath("stored.bin")));
    }

    void reportsMissingUploadFile()
    {
        LinkPair links;
        BPlusPair pair(&links.a, &links.b, terminalDir_.path(), hostDir_.path());
        pair.upload(QString(), "stored.bin");
        QVERIFY(pair.wait());
        QCOMPARE(pair.terminalCode, int(TransferResult::FileNotFound));
        QCOMPARE(pair.hostCode, int(TransferResult::FileNotFound));
        QVERIFY(!QFileInfo::exists(hostPath("stored.bin")));
    }

    // The screen emulator reports the start sequences; the terminal answers
    // ENQ itself and hands the line to the engine at the host's first packet
    // (or already at the ENQ), and gets it back when the transfer is over.
    void startsFromTheTerminalsDetection_data()
    {
        QTest::addColumn<bool>("engineAnswersEnquiry");
        QTest::newRow("terminal answers ENQ") << false;
        QTest::newRow("engine answers ENQ") << true;
    }
    void startsFromTheTerminalsDetection()
    {
        QFETCH(bool, engineAnswersEnquiry);
        const QByteArray data = TestFiles::randomBytes(50000, 41);
        TestFiles::writeIn(hostDir_.path(), "file.bin", data);
        LinkPair links;
        BPlusPair pair(&links.a, &links.b, terminalDir_.path(), hostDir_.path());
        Termemu screen;
        screen.setEmulation(Termemu::Ansi);
        screen.setBPlusDetection(true);
        bool engineHasLine = false;
        connect(&links.a, &ByteLink::received, this, [&](const QByteArray &bytes) {
            for (QByteArray rest = bytes; !rest.isEmpty() && !engineHasLine;) {
                char trigger = 0;
                const auto watch
                    = connect(&screen, &Termemu::bPlusDetected, this, [&](char c) { trigger = c; });
                rest.remove(0, screen.feed(rest));
                disconnect(watch);
                if (trigger == BPlus::ENQ && !engineAnswersEnquiry) {
                    links.a.send(BPlus::enquiryReply());
                } else if (trigger != 0) {
                    engineHasLine = true;
                    pair.terminal.startReceive(BPlus::triggerBytes(trigger) + rest);
                }
            }
        });
        const HandlerRegistration done
            = pair.terminal.events().finish.attach(HandlerStage::Watchers, [&](int) {
                  engineHasLine = false;
                  return false;
              });
        links.b.send("Welcome to the host\r\n");
        pair.hostFiles.sendPath = hostPath("file.bin");
        pair.startHost(true);
        QVERIFY(pair.wait());
        QCOMPARE(pair.terminalCode, 0);
        QCOMPARE(pair.hostCode, 0);
        QCOMPARE(TestFiles::read(terminalPath("file.bin")), data);
        links.b.send("Transfer complete\r\n");
        QTRY_VERIFY(screenRows(screen.screen()).join('|').contains("Transfer complete"));
        QVERIFY(screenRows(screen.screen()).join('|').contains("Welcome to the host"));
    }

    void answersInterrogation()
    {
        LinkPair links;
        QByteArray answer;
        connect(&links.b, &ByteLink::received, this, [&answer](const QByteArray &b) { answer += b; });
        BPlusPair pair(&links.a, &links.b, terminalDir_.path(), hostDir_.path());
        QVERIFY(pair.terminal.startReceive(BPlus::triggerBytes('I')));
        QTRY_COMPARE(answer, BPlus::interrogationReply());
        QVERIFY(answer.startsWith('#') && answer.endsWith('\r'));
        pair.terminal.cancel();
        QTRY_VERIFY_WITH_TIMEOUT(pair.terminalCode >= 0, 30000);
    }
};

QTEST_GUILESS_MAIN(BPlusSessionTest)
#include "bplus_session.moc"
