#include "comms/keyboard/DefaultKeyMap.h"
#include "comms/ui/Terminal.h"
#include "comms/ui/TerminalPalette.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// A terminal in a window, with what it sends collected.
struct Fixture {
    QMainWindow window;
    Terminal *terminal = new Terminal;
    QByteArray sent;

    Fixture()
    {
        window.setCentralWidget(terminal);
        QObject::connect(
            terminal, &Terminal::sendBytes, terminal, [this](const QByteArray &b) { sent += b; });
        terminal->setActive(true);
        window.show();
        window.activateWindow();
        terminal->setFocus();
    }
    QPoint cellCentre(int row, int column) const
    {
        return {column * terminal->charWidth() + terminal->charWidth() / 2,
            row * terminal->charHeight() + terminal->charHeight() / 2};
    }
    QPoint cellEdge(int row, int column) const
    {
        return {
            column * terminal->charWidth() + 1, row * terminal->charHeight() + terminal->charHeight() / 2};
    }
};

class TerminalWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void selectionStaysAndCopiesAsText()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.terminal->receive(QByteArray(600, '\n') + "\x1b[H"); // a full buffer, cursor home
        f.terminal->receive("hello world   \r\nsecond line\r\n");
        f.terminal->receive(QByteArray(80, 'x') + "wrapped");

        QTest::mousePress(f.terminal, Qt::LeftButton, {}, f.cellEdge(0, 6));
        QTest::mouseMove(f.terminal, f.cellEdge(1, 6));
        QTest::mouseRelease(f.terminal, Qt::LeftButton, {}, f.cellEdge(1, 6));
        QCOMPARE(f.terminal->selectedText(), QStringLiteral("world\nsecond"));
        f.terminal->copySelection();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("world\nsecond"));

        // Trailing blanks go; a row that wrapped joins the next without a line end.
        QTest::mousePress(f.terminal, Qt::LeftButton, {}, f.cellEdge(0, 0));
        QTest::mouseRelease(f.terminal, Qt::LeftButton, {}, f.cellEdge(3, 3));
        QCOMPARE(f.terminal->selectedText(),
            QStringLiteral("hello world\nsecond line\n") + QString(80, u'x') + QStringLiteral("wra"));

        // The selection follows its text when the page scrolls.
        QTest::mousePress(f.terminal, Qt::LeftButton, {}, f.cellEdge(1, 0));
        QTest::mouseRelease(f.terminal, Qt::LeftButton, {}, f.cellEdge(1, 6));
        f.terminal->receive(QByteArray(30, '\n'));
        QCOMPARE(f.terminal->selectedText(), QStringLiteral("second"));
    }

    void scrollBackViewsTheBuffer()
    {
        Fixture f;
        for (int i = 0; i < 100; ++i)
            f.terminal->receive(QByteArray::number(i) + "\r\n");
        const int live = f.terminal->firstVisibleLine();
        QCOMPARE(f.terminal->lineText(live), QStringLiteral("77"));

        f.terminal->setScrollBack(true);
        QTest::keyClick(f.terminal, Qt::Key_PageUp);
        QCOMPARE(f.terminal->firstVisibleLine(), live - 24);
        QCOMPARE(f.terminal->lineText(f.terminal->firstVisibleLine()), QStringLiteral("53"));
        QCOMPARE(f.sent, QByteArray()); // keys scroll, nothing is sent

        // New lines do not move what is being looked at.
        f.terminal->receive("more\r\nmore\r\n");
        QCOMPARE(f.terminal->lineText(f.terminal->firstVisibleLine()), QStringLiteral("53"));
        QTest::keyClick(f.terminal, Qt::Key_Home);
        QCOMPARE(f.terminal->firstVisibleLine(), 0);

        f.terminal->setScrollBack(false);
        QCOMPARE(f.terminal->firstVisibleLine(), f.terminal->screen().firstVisibleLine());
        QTest::keyClick(f.terminal, Qt::Key_A);
        QCOMPARE(f.sent, QByteArray("a"));
    }

    void captureOverwritesOrAppendsBytesAsReceived()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("session.cap"));
        QVERIFY(TestFiles::write(path, "old\n"));

        Fixture f;
        QSignalSpy errors(f.terminal, &Terminal::captureError);
        const QByteArray stream("\x1b[1;31mred\x1b[0m\r\n\x00\xff", 15);
        f.terminal->setCaptureFile(path);
        QVERIFY(f.terminal->setCapture(CaptureFile::Append));
        f.terminal->receive(stream);
        f.terminal->writeText("local notice\r\n"); // not received: not captured
        QCOMPARE(TestFiles::read(path), QByteArray("old\n") + stream);

        QVERIFY(f.terminal->setCapture(CaptureFile::Overwrite));
        f.terminal->receive(stream);
        QCOMPARE(TestFiles::read(path), stream);
        QVERIFY(f.terminal->setCapture(CaptureFile::Off));
        f.terminal->receive("after");
        QCOMPARE(TestFiles::read(path), stream);

        f.terminal->setCaptureFile(dir.filePath(QStringLiteral("missing/x.cap")));
        QVERIFY(!f.terminal->setCapture(CaptureFile::Overwrite));
        QCOMPARE(f.terminal->captureMode(), CaptureFile::Off);
        QCOMPARE(errors.count(), 1);
        QVERIFY(errors[0][0].toString().contains(QStringLiteral("missing/x.cap")));
    }

    void doorwaySendsEveryKeyToTheLine()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        auto *menuAction = new QAction(&f.window);
        menuAction->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
        f.window.addAction(menuAction);
        QSignalSpy triggered(menuAction, &QAction::triggered);

        QTest::keyClick(f.terminal, Qt::Key_X, Qt::AltModifier);
        QCOMPARE(triggered.count(), 1); // not in doorway mode: the window's shortcut
        QTest::keyClick(f.terminal, Qt::Key_Q, Qt::AltModifier); // nor a character
        QCOMPARE(f.sent, QByteArray());

        f.terminal->setDoorway(true);
        QTest::keyClick(f.terminal, Qt::Key_X, Qt::AltModifier);
        QTest::keyClick(f.terminal, Qt::Key_F1);
        QTest::keyClick(f.terminal, Qt::Key_F10, Qt::ShiftModifier);
        QTest::keyClick(f.terminal, Qt::Key_Up);
        QTest::keyClick(f.terminal, Qt::Key_Tab);
        QTest::keyClick(f.terminal, Qt::Key_Q);
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(f.sent, QByteArray("\0\x2d\0\x3b\0\x5d\0\x48\tq", 10));
    }

    void keyEmulatorFollowsTheHostsKeyModes()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(DefaultKeyMap::install(dir.path(), &error));
        Fixture f;
        KeyEmu &keys = f.terminal->keyEmu();
        keys.setMapFile(DefaultKeyMap::pathIn(dir.path()));
        keys.setEmulation(QStringLiteral("VT100N"));
        keys.setProcessExtended(true);
        keys.setEnabled(true);
        f.terminal->termemu().setEmulation(Termemu::Vt100);

        QTest::keyClick(f.terminal, Qt::Key_Up);
        f.terminal->receive("\x1b[?1h");
        QTest::keyClick(f.terminal, Qt::Key_Up);
        f.terminal->receive("\x1b[?1l");
        QTest::keyClick(f.terminal, Qt::Key_Up);
        f.terminal->receive("\x1b[?2l"); // VT52 mode
        QTest::keyClick(f.terminal, Qt::Key_Up);
        f.terminal->receive("\x1b<");
        QTest::keyClick(f.terminal, Qt::Key_Up);
        QCOMPARE(f.sent,
            QByteArray("\x1b[A\x1bOA\x1b[A\x1b"
                       "A\x1b[A"));
    }

    void inactiveTerminalNeitherShowsNorSends()
    {
        Fixture f;
        f.terminal->setActive(false);
        QSignalSpy bPlus(f.terminal, &Terminal::bPlusStarted);
        f.terminal->receive("hidden");
        QTest::keyClick(f.terminal, Qt::Key_A);
        f.terminal->receive("\x1b[c"); // a query would be answered if it were processed
        QCOMPARE(f.sent, QByteArray());
        QCOMPARE(f.terminal->lineText(f.terminal->firstVisibleLine()), QString());

        f.terminal->writeText("notice");
        QCOMPARE(f.terminal->lineText(f.terminal->firstVisibleLine()), QStringLiteral("notice"));

        f.terminal->setActive(true);
        f.terminal->setHalfDuplex(true);
        QTest::keyClicks(f.terminal, QStringLiteral("ab"));
        QCOMPARE(f.sent, QByteArray("ab"));
        QCOMPARE(f.terminal->lineText(f.terminal->firstVisibleLine()), QStringLiteral("noticeab"));
    }

    void cursorMovesAreReportedOncePerFrame()
    {
        Fixture f;
        QSignalSpy moves(f.terminal, &Terminal::cursorMoved);
        for (int row = 1; row <= 20; ++row)
            f.terminal->receive("\x1b[" + QByteArray::number(row) + ";10H");
        QTRY_COMPARE_WITH_TIMEOUT(moves.count(), 1, 10000);
        QCOMPARE(moves[0], (QVariantList{20, 10}));
    }

    void typedCharactersPassTheFilter()
    {
        Fixture f;
        f.terminal->setTypedCharFilter([](char c) { return c != '\r'; });
        QTest::keyClick(f.terminal, Qt::Key_A);
        QTest::keyClick(f.terminal, Qt::Key_Return);
        QCOMPARE(f.sent, QByteArray("a"));
    }

    void paintsTheSixteenColours()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.terminal->setColours(15, 4);
        f.terminal->clearScreen();
        f.terminal->receive("\x1b[?25l\x1b[41m  \x1b[0m  \x1b[7m  ");
        f.terminal->repaintNow();
        const QImage image = f.terminal->grab().toImage();
        QCOMPARE(image.pixelColor(f.cellCentre(0, 0)), TerminalPalette::colour(1));
        QCOMPARE(image.pixelColor(f.cellCentre(0, 2)), TerminalPalette::colour(4));
        QCOMPARE(image.pixelColor(f.cellCentre(0, 4)), TerminalPalette::colour(15)); // reverse
        QCOMPARE(image.pixelColor(f.cellCentre(5, 40)), TerminalPalette::colour(4));
    }
};

QTEST_MAIN(TerminalWidgetTest)
#include "terminal_widget.moc"
