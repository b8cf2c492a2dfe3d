#include <QTest>

#include "shell/Ticks.h"

class TicksTest : public QObject {
    Q_OBJECT
private slots:
    void conversions_data()
    {
        QTest::addColumn<qint64>("ticks");
        QTest::addColumn<qint64>("ms");
        QTest::newRow("zero") << qint64(0) << qint64(0);
        QTest::newRow("one tick") << qint64(1) << qint64(55);
        QTest::newRow("about a second") << qint64(18) << qint64(989);
        QTest::newRow("handshake wait") << qint64(1092) << qint64(60000);
        QTest::newRow("negative") << qint64(-5) << qint64(0);
    }
    void conversions()
    {
        QFETCH(qint64, ticks);
        QFETCH(qint64, ms);
        QCOMPARE(Ticks::toMs(ticks), ms);
        if (ticks > 0)
            QCOMPARE(Ticks::fromMs(ms), ticks);
    }
};

QTEST_GUILESS_MAIN(TicksTest)
#include "ticks.moc"
