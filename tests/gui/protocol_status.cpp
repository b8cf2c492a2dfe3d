#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/ProtocolEngine.h"
#include "comms/ui/ProtocolStatusWindow.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/ChainSpy.h"
#include "support/LinkPair.h"
#include "support/TestFiles.h"

namespace {

QString labelText(const QWidget &window, const char *name)
{
    const auto *label = window.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

// A window on an engine that sends one file over a LinkPair whose far side
// never answers.
struct SendingWindow {
    SendingWindow(ProtocolType type, const QByteArray &data)
    {
        path = dir.filePath(QStringLiteral("out.txt"));
        TestFiles::write(path, data);
        engine.setProtocolType(type);
        engine.setLink(&pair.a);
        engine.setFileName(path);
        window.attach(&engine);
        window.show();
    }
    QTemporaryDir dir;
    QString path;
    LinkPair pair;
    ProtocolEngine engine;
    ProtocolStatusWindow window;
};

} // namespace

class ProtocolStatusTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheFigures()
    {
        ProtocolStatusWindow window;
        TransferStatus status;
        status.sending = true;
        status.fileName = QStringLiteral("big.bin");
        status.fileSize = 1000000;
        status.bytesDone = 250000;
        status.bytesPerSecond = 10000;
        status.errorCount = 2;
        status.lastError = QStringLiteral("Bad CRC");
        window.showStatus(status);
        QCOMPARE(labelText(window, "fileName"), QStringLiteral("big.bin"));
        QCOMPARE(labelText(window, "fileSize"), QLocale().toString(1000000));
        QCOMPARE(labelText(window, "bytesDone"), QLocale().toString(250000));
        QCOMPARE(labelText(window, "rate"), QLocale().toString(10000));
        QCOMPARE(labelText(window, "timeLeft"), QStringLiteral("1:15"));
        QCOMPARE(labelText(window, "errors"), QStringLiteral("2 (Bad CRC)"));
        QCOMPARE(window.findChild<QProgressBar *>()->value(), 250);

        // A name too long for the field is shortened in the middle, in full as a tip.
        status.fileName = QString(300, QLatin1Char('n')) + QStringLiteral(".tail");
        window.showStatus(status);
        auto *name = window.findChild<QLabel *>(QStringLiteral("fileName"));
        QVERIFY(name->text().size() < 300);
        QVERIFY(name->text().endsWith(QStringLiteral(".tail")));
        QCOMPARE(name->toolTip(), status.fileName);
    }

    void timeLeft_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("rate");
        QTest::addColumn<QString>("text");
        QTest::newRow("hours") << qint64(100000000) << qint64(0) << qint64(9000) << QStringLiteral("3:05:11");
        QTest::newRow("done") << qint64(10) << qint64(10) << qint64(5) << QStringLiteral("0:00");
        QTest::newRow("size unknown") << qint64(-1) << qint64(10) << qint64(5) << QStringLiteral("--:--");
        QTest::newRow("no rate yet") << qint64(100) << qint64(0) << qint64(0) << QStringLiteral("--:--");
    }
    void timeLeft()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, done);
        QFETCH(qint64, rate);
        QFETCH(QString, text);
        TransferStatus status;
        status.fileSize = size;
        status.bytesDone = done;
        status.bytesPerSecond = rate;
        QCOMPARE(ProtocolStatusWindow::timeLeftText(status), text);
    }

    // A paced ASCII send shows its progress as it goes.
    void followsARunningTransfer()
    {
        SendingWindow s(ProtocolType::Ascii, QByteArray(400, 'x'));
        s.engine.options().asciiCharDelayMs = 5;
        s.engine.options().statusIntervalTicks = 1;
        ProtocolEngine &engine = s.engine;
        ProtocolStatusWindow &window = s.window;
        QVERIFY(engine.startTransmit());
        auto *progress = window.findChild<QProgressBar *>();
        QTRY_VERIFY(progress->value() > 0 && progress->value() < progress->maximum());
        QCOMPARE(labelText(window, "fileName"), QStringLiteral("out.txt"));
        QCOMPARE(labelText(window, "fileSize"), QStringLiteral("400"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Ascii upload"));
        QVERIFY(window.findChild<QPushButton *>(QStringLiteral("cancel"))->isEnabled());
        ChainSpy<int> finished(engine.events().finish);
        QVERIFY(finished.wait(30000));
        QCOMPARE(labelText(window, "bytesDone"), QStringLiteral("400"));
        QCOMPARE(progress->value(), progress->maximum());
        QCOMPARE(labelText(window, "result"), transferResultText(TransferResult::Success));
        QVERIFY(!window.findChild<QPushButton *>(QStringLiteral("cancel"))->isEnabled());
    }

    // The figures move between the engine's status events, which here come
    // only at the start and the end.
    void followsTheEngineBetweenStatusEvents()
    {
        SendingWindow s(ProtocolType::Ascii, QByteArray(400, 'x'));
        s.engine.options().asciiCharDelayMs = 5;
        s.engine.options().statusIntervalTicks = 10000;
        QVERIFY(s.engine.startTransmit());
        auto *progress = s.window.findChild<QProgressBar *>();
        QTRY_VERIFY(progress->value() > progress->maximum() / 2 && progress->value() < progress->maximum());
    }

    void briefFormIsToggledAndStored()
    {
        TLog log(QDir::temp().filePath(QStringLiteral("Log.txt")));
        RecordingPrompt prompt;
        SettingsStore store(SettingsFolders::fromEnvironment(), log,
            [&prompt](const QString &text) { prompt.warning(text); });
        ProtocolStatusWindow window;
        window.loadBrief(store);
        QVERIFY(!window.isBrief());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *errors = window.findChild<QLabel *>(QStringLiteral("errors"));
        auto *fileName = window.findChild<QLabel *>(QStringLiteral("fileName"));
        QVERIFY(errors->isVisible());
        const int fullHeight = window.height();

        QSignalSpy changed(&window, &ProtocolStatusWindow::briefChanged);
        window.findChild<QCheckBox *>(QStringLiteral("brief"))->click();
        QCOMPARE(changed.size(), 1);
        QVERIFY(window.isBrief());
        QVERIFY(!errors->isVisible());
        QVERIFY(fileName->isVisible());
        QVERIFY(window.findChild<QProgressBar *>()->isVisible());
        QTRY_VERIFY(window.height() < fullHeight);

        window.saveBrief(store);
        ProtocolStatusWindow next;
        next.loadBrief(store);
        QVERIFY(next.isBrief());
        QVERIFY(next.findChild<QCheckBox *>(QStringLiteral("brief"))->isChecked());
    }

    // Cancel while the sender waits for a receiver that never answers.
    void cancelButtonCancelsTheTransfer()
    {
        SendingWindow s(ProtocolType::Xmodem1K, QByteArray(5000, 'y'));
        ProtocolEngine &engine = s.engine;
        ProtocolStatusWindow &window = s.window;
        ChainSpy<int> finished(engine.events().finish);
        QVERIFY(engine.startTransmit());
        auto *cancel = window.findChild<QPushButton *>(QStringLiteral("cancel"));
        QTRY_VERIFY(cancel->isEnabled());
        QVERIFY(engine.inProgress());
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toInt(), int(TransferResult::CancelledLocally));
        QCOMPARE(labelText(window, "result"), transferResultText(TransferResult::CancelledLocally));
    }
};

QTEST_MAIN(ProtocolStatusTest)
#include "protocol_status.moc"
