#include <QFileInfo>
#include <QTest>

#include "support/TestFiles.h"
#include "support/TransferSession.h"

// Our CRC Xmodem and Ymodem sender and receiver through a noisy line: the
// receiver ends with the identical file or with a failure and no file,
// never with a wrong file. The stop-and-wait types recover from light
// noise; the streaming types stop at the first error.
class XmodemNoiseTest : public QObject {
    Q_OBJECT
private slots:
    void noise_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("flipRate");
        QTest::addColumn<double>("dropRate");
        QTest::addColumn<bool>("mustSucceed");
        QTest::addColumn<int>("size");
        for (const ProtocolType type :
            {ProtocolType::XmodemCrc, ProtocolType::Xmodem1K, ProtocolType::Ymodem}) {
            const QByteArray name = protocolName(type).toLatin1();
            QTest::newRow(name + " flips") << int(type) << 3e-5 << 0.0 << true << 80000;
            QTest::newRow(name + " drops") << int(type) << 0.0 << 3e-5 << true << 80000;
            QTest::newRow(name + " heavy") << int(type) << 3e-4 << 3e-4 << false << 8000;
        }
        for (const ProtocolType type : {ProtocolType::Xmodem1KG, ProtocolType::YmodemG})
            QTest::newRow(protocolName(type).toLatin1() + " flips and drops")
                << int(type) << 2e-5 << 2e-5 << false << 80000;
    }
    void noise()
    {
        QFETCH(int, type);
        QFETCH(double, flipRate);
        QFETCH(double, dropRate);
        QFETCH(bool, mustSucceed);
        QFETCH(int, size);
        int damaged = 0;
        for (quint32 seed = 1; seed <= 3; ++seed) {
            NoiseRelay::Settings noise;
            noise.seed = seed;
            noise.flipRate = flipRate;
            noise.dropRate = dropRate;
            noise.cleanBytes = 200;
            TransferSession s{ProtocolType(type), noise};
            const QByteArray content = TestFiles::randomBytes(size, seed) + "end";
            const QString path = s.src.filePath(QStringLiteral("n.bin"));
            QVERIFY(TestFiles::write(path, content));
            s.sender.setFileName(path);
            s.receiver.setFileName(QStringLiteral("n.bin"));
            QVERIFY(s.run(300000));
            const QString landed = s.dst.filePath(QStringLiteral("n.bin"));
            if (s.receiveCode == 0)
                QCOMPARE(TestFiles::read(landed), content);
            else
                QVERIFY2(!QFileInfo::exists(landed), "a failed receive left a complete-looking file");
            QCOMPARE(s.received().size(), s.receiveCode == 0 ? 1 : 0);
            if (mustSucceed)
                QCOMPARE(s.receiveCode, 0);
            damaged += s.relay.bytesFlipped() + s.relay.bytesDropped() > 0;
        }
        QVERIFY(damaged > 0);
    }
};

QTEST_GUILESS_MAIN(XmodemNoiseTest)
#include "xmodem_noise.moc"
