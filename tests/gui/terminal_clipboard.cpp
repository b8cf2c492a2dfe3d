#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include "comms/ui/Terminal.h"
#include "shell/RecordingPrompt.h"
#include "shell/main/Application.h"
#include "support/OnlineWindow.h"

// The terminal's context menu and its clipboard and line entries: paste to
// a real peer (cut at 65535 characters, whole even behind a full output
// buffer, nothing while offline), when Paste is offered, copy and clear,
// and the modem-control entries.
class TerminalClipboardTest : public QObject {
    Q_OBJECT

    RecordingPrompt prompt;

    static QByteArray pattern(qsizetype size, char first)
    {
        QByteArray bytes(size, '\0');
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char(first + i % 26);
        return bytes;
    }

private slots:
    void pasteBehindAFullOutputBuffer()
    {
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        Comport &port = online.application().port();
        // The peer does not read until the output buffer refuses more (the
        // serial port object would otherwise read whenever events run).
        online.far().setReadBufferSize(1);
        QByteArray queued;
        const QByteArray chunk = pattern(4096, 'a');
        while (port.putBlock(chunk)) {
            queued += chunk;
            QTest::qWait(1);
            QVERIFY(queued.size() < 64 * 1024 * 1024);
        }
        QVERIFY(port.outBuffUsed() >= Comport::bufferSize);
        online.far().setReadBufferSize(0);

        const QByteArray text = pattern(70000, 'A');
        QGuiApplication::clipboard()->setText(QString::fromLatin1(text));
        online.window().entry(QStringLiteral("Paste1"))->trigger();
        const QByteArray expected = queued + text.left(KeyboardController::pasteLimit);
        QCOMPARE(online.received(expected.size(), 60000).size(), expected.size());
        const QByteArray received = online.received(expected.size() + 1, 300);
        QCOMPARE(received.size(), expected.size());
        QVERIFY(received == expected);
        online.application().closeWithoutAsking();
    }

    void pasteNeedsAConnection()
    {
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        QGuiApplication::clipboard()->setText(QStringLiteral("secret\r"));
        online.application().state().setOnline(false);
        online.window().entry(QStringLiteral("Paste1"))->trigger();
        QCOMPARE(online.received(1, 300), QByteArray());
        // Exactly as on the clipboard: the CR is not translated, nothing is echoed.
        online.application().keyboard().settings().addLf = true;
        online.application().keyboard().setEcho(true);
        online.application().state().setOnline(true);
        online.window().entry(QStringLiteral("Paste1"))->trigger();
        QCOMPARE(online.received(7), QByteArray("secret\r"));
        Terminal *terminal = online.window().terminal();
        for (int row = 0; row < terminal->pageHeight(); ++row)
            QVERIFY(
                !terminal->lineText(terminal->firstVisibleLine() + row).contains(QLatin1String("secret")));
        online.application().closeWithoutAsking();
    }

    // Paste is offered with text on the clipboard and the port open, checked
    // whenever the Setup menu or the pop-up opens; Cancel Transfer is not.
    void pasteOffered()
    {
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        TMainform &window = online.window();
        QAction *paste = window.entry(QStringLiteral("Paste1"));
        const auto offeredOn = [&](const char *menu) {
            emit window.menu(QString::fromLatin1(menu))->aboutToShow();
            return paste->isEnabled();
        };
        QGuiApplication::clipboard()->setText(QStringLiteral("x"));
        QVERIFY(offeredOn("TermPop"));
        QGuiApplication::clipboard()->clear();
        QVERIFY(!offeredOn("TermMenu"));
        QGuiApplication::clipboard()->setText(QStringLiteral("x"));
        QVERIFY(offeredOn("TermMenu"));
        window.entry(QStringLiteral("Hangup1"))->trigger();
        QVERIFY(!offeredOn("TermPop"));
        QVERIFY(!window.entry(QStringLiteral("CancelTransfer1"))->isEnabled());
    }

    // A right-button release opens the pop-up at the pointer; Copy takes the
    // selection, Clear empties the screen.
    void contextMenuCopyAndClear()
    {
        Application application;
        TMainform &window = application.window();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Terminal *terminal = window.terminal();
        terminal->writeText("hello there\r\n");
        QTest::mousePress(terminal, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseMove(terminal, QPoint(terminal->charWidth() * 5 - 1, terminal->charHeight() / 2));
        QTest::mouseRelease(
            terminal, Qt::LeftButton, {}, QPoint(terminal->charWidth() * 5 - 1, terminal->charHeight() / 2));
        QVERIFY(terminal->hasSelection());

        const QPoint at(40, 30);
        QTest::mouseClick(terminal, Qt::RightButton, {}, at);
        QMenu *popUp = window.menu(QStringLiteral("TermPop"));
        QTRY_VERIFY(popUp->isVisible());
        QCOMPARE(popUp->pos(), terminal->mapToGlobal(at));
        popUp->hide();

        window.entry(QStringLiteral("Copy1"))->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("hello"));
        window.entry(QStringLiteral("Clear1"))->trigger();
        QVERIFY(!terminal->lineText(terminal->firstVisibleLine()).contains(QLatin1String("hello")));
    }

    // Each entry drives its line on the port. A pseudo-terminal has no modem
    // lines, so the device's refusal shows that the port was asked.
    void modemLineEntries()
    {
        OnlineWindow online;
        QVERIFY(online.start(prompt));
        Comport &port = online.application().port();
        QSignalSpy failures(&port, &Comport::errorOccurred);
        for (const char *entry : {"DropDTR1", "RaiseDTR1", "RaiseRTS1", "DropRTS1"}) {
            QAction *action = online.window().entry(QString::fromLatin1(entry));
            QVERIFY(action->isEnabled());
            action->trigger();
        }
        QCOMPARE(failures.size(), 4);
        QVERIFY2(port.lastError().contains(QLatin1String("ioctl")), qPrintable(port.lastError()));
        online.application().closeWithoutAsking();
    }
};

QTEST_MAIN(TerminalClipboardTest)
#include "terminal_clipboard.moc"
