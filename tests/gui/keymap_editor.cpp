#include "comms/keyboard/DefaultKeyMap.h"
#include "comms/keyboard/KeyMap.h"
#include "comms/ui/KeymapEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

class KeymapEditorTest : public QObject {
    Q_OBJECT

private slots:
    void pressKeyEditAndSave()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(DefaultKeyMap::install(dir.path(), &error));
        const QString path = DefaultKeyMap::pathIn(dir.path());

        KeymapEditor editor(path);
        editor.show();
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto *emulations = editor.findChild<QComboBox *>(QStringLiteral("emulations"));
        auto *capture = editor.findChild<QLineEdit *>(QStringLiteral("capture"));
        auto *keys = editor.findChild<QListWidget *>(QStringLiteral("keys"));
        auto *plain = editor.findChild<QLineEdit *>(QStringLiteral("field0"));
        auto *shift = editor.findChild<QLineEdit *>(QStringLiteral("field2"));
        auto *application = editor.findChild<QCheckBox *>(QStringLiteral("application"));
        emulations->setCurrentText(QStringLiteral("VT220N"));

        // Pressing Shift+F6 in the capture box picks F6 and the Shift field.
        capture->setFocus();
        QTest::keyClick(capture, Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(keys->currentItem()->text(), QStringLiteral("F6"));
        QCOMPARE(plain->text(), QStringLiteral("^[[17~"));
        QCOMPARE(shift->text(), QStringLiteral("^[[29~"));
        QVERIFY(shift->hasFocus());

        // Tab is a key to map, not a focus change.
        capture->setFocus();
        QTest::keyClick(capture, Qt::Key_Tab);
        QCOMPARE(keys->currentItem()->text(), QStringLiteral("Tab"));

        QTest::keyClick(capture, Qt::Key_F6, Qt::ShiftModifier);
        shift->clear();
        QTest::keyClicks(shift, QStringLiteral("^[[99~"));
        application->setChecked(true);
        QCOMPARE(shift->text(), QString()); // F6 has no application-mode line
        QVERIFY(editor.isModified());
        QVERIFY(editor.save());

        KeyMap reread;
        QVERIFY(reread.load(path, &error));
        QCOMPARE((*reread.find(QStringLiteral("VT220N"), QStringLiteral("F6")))[2], QByteArray("\x1b[99~"));
        QCOMPARE((*reread.find(QStringLiteral("VT220A"), QStringLiteral("F6")))[2], QByteArray("\x1b[29~"));
        QVERIFY(reread.text().startsWith(QStringLiteral("; Tarnex key map.")));
    }

    void saveFailureKeepsTheDialogOpen()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("no-such-folder/Keybrd.ini"));
        KeymapEditor editor(path);
        auto *status = editor.findChild<QLabel *>(QStringLiteral("status"));
        QVERIFY(status->text().contains(QStringLiteral("shipped key map")));
        editor.show();
        QVERIFY(!editor.save());
        QVERIFY(status->text().startsWith(QStringLiteral("Cannot write key map")));
        QVERIFY(editor.isVisible());
    }
};

QTEST_MAIN(KeymapEditorTest)
#include "keymap_editor.moc"
