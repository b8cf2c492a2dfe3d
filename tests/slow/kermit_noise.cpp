#include <QFileInfo>
#include <QTest>

#include "support/KermitPeers.h"
#include "support/KermitSession.h"

// Our Kermit sender and receiver through a noisy line.
class KermitNoiseTest : public QObject {
    Q_OBJECT
private slots:
    // Noise yields the identical file or a clean failure, never a wrong file;
    // without streaming, moderate noise is recovered from.
    void noise_data()
    {
        QTest::addColumn<int>("maxLen");
        QTest::addColumn<int>("windows");
        QTest::addColumn<bool>("streaming");
        QTest::addColumn<double>("flipRate");
        QTest::addColumn<double>("dropRate");
        QTest::addColumn<bool>("mustSucceed");
        QTest::newRow("short packets, stop and wait") << 94 << 0 << false << 2e-4 << 1e-4 << true;
        QTest::newRow("long packets, windows") << 2000 << 8 << false << 3e-5 << 2e-5 << true;
        QTest::newRow("short packets, windows, heavy") << 90 << 16 << false << 1e-3 << 1e-3 << false;
        QTest::newRow("streaming") << 4000 << 0 << true << 1e-5 << 1e-5 << false;
    }
    void noise()
    {
        QFETCH(int, maxLen);
        QFETCH(int, windows);
        QFETCH(bool, streaming);
        QFETCH(double, flipRate);
        QFETCH(double, dropRate);
        QFETCH(bool, mustSucceed);
        for (quint32 seed = 1; seed <= 3; ++seed) {
            NoiseRelay::Settings noise;
            noise.seed = seed;
            noise.flipRate = flipRate;
            noise.dropRate = dropRate;
            noise.cleanBytes = 200;
            KermitSession s(noise);
            s.setBoth(maxLen, windows, streaming);
            const QByteArray content = TestFiles::randomBytes(60000, seed);
            s.sender.setFileName(TestFiles::writeIn(s.src.path(), QStringLiteral("n.bin"), content));
            QVERIFY(s.run(100000));
            const QString landed = s.dst.filePath(QStringLiteral("n.bin"));
            if (s.receiveCode == 0)
                QCOMPARE(TestFiles::read(landed), content);
            else
                QVERIFY(!QFileInfo::exists(landed));
            if (mustSucceed)
                QCOMPARE(s.receiveCode, 0);
        }
    }
};

QTEST_GUILESS_MAIN(KermitNoiseTest)
#include "kermit_noise.moc"
