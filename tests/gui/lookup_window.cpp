#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include "sessions/ui/TLookform.h"

// "Please Wait" resolves on the worker and closes by itself; Escape
// abandons the look-up.
class LookupWindowTest : public QObject {
    Q_OBJECT

private slots:
    void resolves_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("address");
        QTest::newRow("name") << "localhost"
                              << "localhost"
                              << "127.0.0.1";
        // Only the first "@" goes.
        QTest::newRow("at sign") << "local@host"
                                 << "localhost"
                                 << "127.0.0.1";
        QTest::newRow("unknown") << "nowhere.invalid"
                                 << "nowhere.invalid"
                                 << "0.0.0.0";
    }
    void resolves()
    {
        QFETCH(QString, host);
        QFETCH(QString, shown);
        QFETCH(QString, address);
        TLookform window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Please Wait"));
        const std::optional<QString> found = window.Lookup(host);
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("hostLabel"))->text(), shown);
        QVERIFY(found.has_value());
        QCOMPARE(*found, address);
        QVERIFY(!window.isVisible());
    }

    // The key is handled before the worker's answer arrives; the late answer
    // is dropped and a second look-up is not disturbed by it.
    void escapeCancels()
    {
        TLookform window;
        QMetaObject::invokeMethod(
            &window, [&window] { QTest::keyClick(&window, Qt::Key_Escape); }, Qt::QueuedConnection);
        QCOMPARE(window.Lookup(QStringLiteral("localhost")), std::nullopt);
        QCOMPARE(
            window.Lookup(QStringLiteral("localhost")), std::optional<QString>(QStringLiteral("127.0.0.1")));
    }
};

QTEST_MAIN(LookupWindowTest)
#include "lookup_window.moc"
