#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "script/ui/TScrDialog.h"
#include "shell/settings/SettingsTable.h"
#include "support/ScriptDialogServices.h"
#include "support/TestFiles.h"

// "Execute Script" offscreen: what OK, Check and Edit script say for each
// kind of file, and the browser's mask.
class ScriptPickerTest : public QObject {
    Q_OBJECT

    struct Fixture : ScriptDialogServices {
        bool running = false;
        bool admin = true;
        // The files are there before the picker lists the folder.
        bool written = writeFiles();
        TScrDialog picker{
            {script, prompt, help, settings, [this] { return admin; }, [this] { return running; }},
            dir.path()};

        bool writeFiles()
        {
            TestFiles::writeScript(dir.path(), QStringLiteral("good.scr"), "SEND 'x'\n:End\n");
            TestFiles::writeScript(dir.path(), QStringLiteral("bad.scr"),
                "; one\n; two\nSEND 'a'\nSEND 'b'\n\nDISPLAY 'c'\nBOGUS here\n");
            TestFiles::writeScript(dir.path(), QStringLiteral("notes.txt"), "text\n");
            return true;
        }
        QString path(const char *name) { return dir.filePath(QString::fromLatin1(name)); }
        void press(const char *name) { picker.findChild<QPushButton *>(QString::fromLatin1(name))->click(); }
    };

private slots:
    void okAndCheck_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("result");
        const int open = -1;
        QTest::newRow("OK, no name") << QString() << false << "ok"
                                     << "No script to run" << int(QDialog::Rejected);
        QTest::newRow("OK, missing") << "gone.scr" << false << "ok"
                                     << "Script does not exist" << int(QDialog::Rejected);
        QTest::newRow("OK while running") << "good.scr" << true << "ok"
                                          << "Wait until current script finishes executing" << open;
        QTest::newRow("OK, bad line 7")
            << "bad.scr" << false << "ok"
            << "Error in line number 7 - Not a valid script command   Script Aborting" << open;
        QTest::newRow("OK, good") << "good.scr" << false << "ok" << QString() << int(QDialog::Accepted);
        QTest::newRow("Check, no name") << QString() << false << "SpeedButton3"
                                        << "No script to check" << open;
        QTest::newRow("Check, good") << "good.scr" << false << "SpeedButton3"
                                     << "Script is OK to use." << open;
        QTest::newRow("Check while running") << "good.scr" << true << "SpeedButton3"
                                             << "Wait until current script finishes executing" << open;
        QTest::newRow("Edit, no name") << QString() << false << "SpeedButton2"
                                       << "No script file to edit" << open;
        QTest::newRow("Edit, missing") << "gone.scr" << false << "SpeedButton2"
                                       << "Script does not exist" << open;
    }
    void okAndCheck()
    {
        QFETCH(QString, file);
        QFETCH(bool, running);
        QFETCH(QString, button);
        QFETCH(QString, said);
        QFETCH(int, result);
        Fixture f;
        f.running = running;
        f.picker.show();
        f.picker.fileEdit()->setText(file.isEmpty() ? QString() : f.dir.filePath(file));
        f.press(button.toLatin1().constData());
        QCOMPARE(f.prompt.texts(), said.isEmpty() ? QStringList() : QStringList{said});
        if (result < 0) {
            QVERIFY(f.picker.isVisible());
        } else {
            QVERIFY(!f.picker.isVisible());
            QCOMPARE(f.picker.result(), result);
        }
        if (result == QDialog::Accepted)
            QCOMPARE(f.script.records().size(), std::size_t(2));
    }

    // Editing is for administrators only.
    void editNeedsTheAdministrator()
    {
        Fixture f;
        f.admin = false;
        f.picker.fileEdit()->setText(f.path("good.scr"));
        f.press("SpeedButton2");
        QVERIFY(f.prompt.shown().isEmpty());
    }

    // The list shows the default extension's files; a double click names
    // one; the extension is remembered.
    void browserAndExtension()
    {
        {
            Fixture f;
            QListWidget *files = f.picker.findChild<QListWidget *>(QStringLiteral("FileListBox"));
            QCOMPARE(files->count(), 2);
            f.picker.extensionEdit()->setText(QStringLiteral("n*.txt"));
            QCOMPARE(files->count(), 1);
            emit files->itemDoubleClicked(files->item(0));
            QCOMPARE(f.picker.fileEdit()->text(), f.path("notes.txt"));
            QCOMPARE(f.picker.folder(), f.dir.path() + QLatin1Char('/'));
        }
        Fixture again;
        QCOMPARE(again.picker.extensionEdit()->text(), QStringLiteral("n*.txt"));
        again.picker.extensionEdit()->setText(QStringLiteral("*.scr"));
    }
};

QTEST_MAIN(ScriptPickerTest)
#include "script_picker.moc"
