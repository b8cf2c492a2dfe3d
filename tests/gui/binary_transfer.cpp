#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "shell/RecordingPrompt.h"
#include "support/OnlineWindow.h"
#include "support/TestFiles.h"
#include "transfer/ui/TFiTrans.h"

namespace {

TFiTrans *progressWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<TFiTrans *>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

} // namespace

// The binary send's progress window, and both binary commands from the
// Transfer menu of a window online on a pseudo-terminal.
class BinaryTransferTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void progressWindowShowsItsPanels()
    {
        TFiTrans window;
        window.showCentred();
        QCOMPARE(window.windowTitle(), QStringLiteral("FileTransfer"));
        QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
        QStringList captions;
        for (const QLabel *label : window.findChildren<QLabel *>()) {
            if (label->buddy())
                captions << label->text();
        }
        captions.sort();
        QCOMPARE(captions, QStringList({"Bytes left", "CPS", "File", "Size", "Status", "Transferred"}));
        window.showFile(QStringLiteral("data.bin"), 5000);
        window.showProgress(4096, 904, 82);
        QCOMPARE(window.panelText("File"), QStringLiteral("data.bin"));
        QCOMPARE(window.panelText("Size"), QStringLiteral("5000"));
        QCOMPARE(window.panelText("Transferred"), QStringLiteral("4096"));
        QCOMPARE(window.panelText("Bytes left"), QStringLiteral("904"));
        QCOMPARE(window.percent(), 82);
        QSignalSpy cancelled(&window, &TFiTrans::cancelClicked);
        auto *cancel = window.findChild<QPushButton *>();
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QCOMPARE(cancelled.size(), 1);
    }

    // A peer that stops reading holds the send part way; Cancel ends it and
    // the window goes. The upload folder follows the file picked.
    void sendFromMenuAndCancel()
    {
        RecordingPrompt prompt;
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        Application &app = online.application();
        online.far().setReadBufferSize(1024);
        const QByteArray data = TestFiles::randomBytes(4 * 1024 * 1024, 11);
        const QString path = TestFiles::writeIn(dir.path(), QStringLiteral("big.bin"), data);
        prompt.answerFiles({path});
        app.window().entry(QStringLiteral("Sendpurebinary1"))->trigger();
        QVERIFY(app.binarySend().isSending());
        TFiTrans *window = progressWindow();
        QVERIFY(window);
        QCOMPARE(window->panelText("File"), QStringLiteral("big.bin"));
        QCOMPARE(window->panelText("Size"), QString::number(data.size()));
        QTRY_VERIFY(!window->panelText("Transferred").isEmpty());
        QTest::qWait(300);
        QVERIFY(app.binarySend().isSending());
        QVERIFY(app.window().windowTitle().endsWith(QStringLiteral("% complete")));
        QCOMPARE(app.directories().upload, dir.path() + QLatin1Char('/'));
        QTest::mouseClick(window->findChild<QPushButton *>(), Qt::LeftButton);
        QTRY_VERIFY(!app.binarySend().isSending());
        QTRY_VERIFY(progressWindow() == nullptr);
    }

    // The check item turns receive mode on with a file named in the save
    // dialog (".bin" added when no extension is given) and off again.
    void receiveFromMenu()
    {
        RecordingPrompt prompt;
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        QAction *item = online.window().entry(QStringLiteral("Receivepurebinary1"));
        prompt.answerFiles({dir.filePath(QStringLiteral("capture"))});
        item->trigger();
        QVERIFY(item->isChecked());
        const QByteArray data = TestFiles::everyByteValue(8);
        online.far().write(data);
        const QString path = dir.filePath(QStringLiteral("capture.bin"));
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(path).size(), data.size(), 20000);
        item->trigger();
        QVERIFY(!item->isChecked());
        QCOMPARE(TestFiles::read(path), data);
        // A cancelled dialog leaves the item off.
        item->trigger();
        QVERIFY(!item->isChecked());
    }
};

QTEST_MAIN(BinaryTransferTest)
#include "binary_transfer.moc"
