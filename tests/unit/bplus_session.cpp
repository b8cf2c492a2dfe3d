#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

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
        data += randomBytes(size - data.size(), 7);

        LinkPair links;
        BPlusPair pair(&links.a, &links.b, terminalDir_.path(), hostDir_.path());
        pair.hostParams.checkMethod = static_cast<quint8>(checkMethod);
        pair.hostParams.windowSend = pair.hostParams.windowReceive = static_cast<quint8>(window);
        pair.hostParams.blockSize = static_cast<quint8>(blocks);
        writeFile(download ? hostDir_.path() : terminalDir_.path(), "file.bin", data);
        if (download)
            pair.download(hostPath("file.bin"));
        else
            pair.upload(terminalPath("file.bin"), "stored.bin");
        QVERIFY(pair.wait());
        QCOMPARE(pair.terminalCode, 0);
        QCOMPARE(pair.hostCode, 0);
        QCOMPARE(readFile(download ? terminalPath("file.bin") : hostPath("stored.bin")), data);
    }
};

QTEST_GUILESS_MAIN(BPlusSessionTest)
#include "bplus_session.moc"
