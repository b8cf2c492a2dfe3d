#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

#include "script/ui/Tscredit.h"
#include "support/ScriptDialogServices.h"
#include "support/TestFiles.h"

// "Script Editor" offscreen: load, check with the line in error shown,
// save, new and done, with the file dialogs and boxes recorded.
class ScriptEditorTest : public QObject {
    Q_OBJECT

    struct Fixture : ScriptDialogServices {
        Tscredit editor{{script, prompt, help, settings, dir.path()}};

        QString write(const QString &name, const QByteArray &text)
        {
            return TestFiles::writeScript(dir.path(), name, text);
        }
        void click(const char *name) { editor.findChild<QToolButton *>(QString::fromLatin1(name))->click(); }
    };

private slots:
    // A bad line 3 is reported with its number and selected; a good script
    // is "OK to use".
    void checkShowsTheLine()
    {
        Fixture f;
        const QString path
            = f.write(QStringLiteral("bad.scr"), "; login\nSEND 'x^M'\nJUMP somewhere\nSEND 'y'\n");
        QVERIFY(f.editor.loadFile(path));
        QVERIFY(!f.editor.text()->document()->isModified());
        f.click("Check");
        QCOMPARE(
            f.prompt.texts(), QStringList{QStringLiteral("Error in line number 3 - ") + f.script.ErrDesc()});
        QVERIFY(!f.script.ErrDesc().isEmpty());
        QCOMPARE(f.editor.text()->textCursor().blockNumber(), 2);
        QCOMPARE(f.editor.text()->textCursor().selectedText(), QStringLiteral("JUMP somewhere"));

        f.prompt.clear();
        f.editor.text()->setPlainText(QStringLiteral("SEND 'x^M'\n:End\n"));
        f.click("Check");
        QCOMPARE(f.prompt.texts(), QStringList{QStringLiteral("Script is OK to use.")});
        QCOMPARE(TestFiles::read(path), QByteArray("SEND 'x^M'\n:End\n"));
    }

    // A new text is saved under the name the user gives (".scr" added);
    // cancelling that dialog checks nothing.
    void newTextAsksForAName()
    {
        Fixture f;
        f.click("New");
        f.editor.text()->setPlainText(QStringLiteral("DISPLAY 'hello'"));
        f.click("Check");
        QCOMPARE(f.prompt.shown().size(), 1);
        QCOMPARE(f.prompt.shown().first().kind, RecordingPrompt::Kind::Files);
        QVERIFY(f.editor.currentFile().isEmpty());

        const QString chosen = f.dir.filePath(QStringLiteral("hello"));
        f.prompt.answerFiles({chosen});
        f.click("Check");
        QCOMPARE(f.editor.currentFile(), chosen + QStringLiteral(".scr"));
        QCOMPARE(TestFiles::read(chosen + QStringLiteral(".scr")), QByteArray("DISPLAY 'hello'\n"));
        QCOMPARE(f.prompt.texts().last(), QStringLiteral("Script is OK to use."));
    }

    // Done saves a changed text; with the save cancelled the editor stays
    // open and keeps the text.
    void doneSavesChanges()
    {
        Fixture f;
        f.editor.show();
        f.editor.text()->setPlainText(QStringLiteral("SEND 'a'"));
        f.editor.text()->document()->setModified(true);
        f.click("Done");
        QVERIFY(f.editor.isVisible());
        QCOMPARE(f.editor.text()->toPlainText(), QStringLiteral("SEND 'a'"));

        const QString path = f.write(QStringLiteral("kept.scr"), "SEND 'old'\n");
        QVERIFY(f.editor.loadFile(path));
        f.editor.text()->setPlainText(QStringLiteral("SEND 'new'"));
        f.editor.text()->document()->setModified(true);
        f.click("Done");
        QVERIFY(!f.editor.isVisible());
        QCOMPARE(TestFiles::read(path), QByteArray("SEND 'new'\n"));
    }

    // Help asks for the editor's page; the six buttons share the bar.
    void helpAndLayout()
    {
        Fixture f;
        f.editor.resize(600, 400);
        f.editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.editor));
        f.click("Help");
        QCOMPARE(f.help.shown, QList<int>{Tscredit::helpContext});
        int total = 0;
        for (const char *name : {"Load", "Save", "Check", "New", "Done", "Help"})
            total += f.editor.findChild<QToolButton *>(QString::fromLatin1(name))->width();
        QVERIFY(total > f.editor.width() * 3 / 4);
        QVERIFY(total <= f.editor.width());
    }
};

QTEST_MAIN(ScriptEditorTest)
#include "script_editor.moc"
