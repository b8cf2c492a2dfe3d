#include "comms/keyboard/KeyEmu.h"
#include "comms/CaretNotation.h"
#include "comms/keyboard/DefaultKeyMap.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class KeyEmuTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString writeMap(const QString &text)
    {
        const QString path = dir.filePath(QStringLiteral("map.ini"));
        TestFiles::write(path, text.toUtf8());
        return path;
    }

private slots:
    void caretNotation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("escape sequence") << "^[[A" << QByteArray("\x1b[A") << "^[[A";
        QTest::newRow("lower-case letter") << "^m" << QByteArray("\r") << "^M";
        QTest::newRow("two carets") << "a^^b" << QByteArray("a^b") << "a^^b";
        QTest::newRow("DEL and NUL") << "^?^@" << QByteArray("\x7f\0", 2) << "^?^@";
        QTest::newRow("caret before digit") << "^1" << QByteArray("^1") << "^^1";
        QTest::newRow("trailing caret") << "x^" << QByteArray("x^") << "x^^";
        QTest::newRow("Latin-1") << QString::fromUtf8("\xc3\xa9") << QByteArray("\xe9")
                                 << QString::fromUtf8("\xc3\xa9");
        QTest::newRow("0x1E stays raw") << QString(QChar(0x1E)) << QByteArray("\x1e") << QString(QChar(0x1E));
    }
    void caretNotation()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, canonical);
        QCOMPARE(CaretNotation::decode(text), bytes);
        QCOMPARE(CaretNotation::encode(bytes), canonical);
        QCOMPARE(CaretNotation::decode(canonical), bytes);
    }

    void mapFileReportsBadLinesAndKeepsThemOnEdit()
    {
        const QString original = QStringLiteral("; my notes\n"
                                                "Up = \"x\"\n"
                                                "[Mine]\n"
                                                "Up = \"^[[A\" \"\" \"say \"\"hi\"\"\"\n"
                                                "Bogus = \"1\"\n"
                                                "Down = \"unterminated\n"
                                                "Left = \"1\" \"2\" \"3\" \"4\" \"5\" \"6\" \"7\"\n"
                                                "Right \"no equals\"\n"
                                                "\n"
                                                "[Other]\n"
                                                "F1 = \"^[OP\"\n");
        KeyMap map;
        QStringList warnings;
        map.setText(original, &warnings);
        QCOMPARE(warnings.size(), 5);
        QVERIFY(warnings[0].startsWith(QStringLiteral("line 2:")));
        QVERIFY(warnings[1].contains(QStringLiteral("Bogus")));

        const KeySequences *up = map.find(QStringLiteral("mine"), QStringLiteral("UP"));
        QVERIFY(up);
        QCOMPARE((*up)[0], QByteArray("\x1b[A"));
        QVERIFY((*up)[1].isNull());
        QCOMPARE((*up)[2], QByteArray("say \"hi\""));
        QVERIFY(!map.find(QStringLiteral("Mine"), QStringLiteral("Down")));

        // Editing rewrites one line and adds new keys to the end of their section.
        KeySequences seq;
        seq[int(KeyModifiers::CtrlAlt)] = "\x1b[Z";
        map.set(QStringLiteral("MINE"), QStringLiteral("Up"), seq);
        map.set(QStringLiteral("Mine"), QStringLiteral("Home"), {QByteArray("\x1b[1~")});
        map.set(QStringLiteral("New"), QStringLiteral("End"), {QByteArray("\x1b[4~")});
        map.set(QStringLiteral("Other"), QStringLiteral("F1"), {});
        QStringList lines = original.split(u'\n');
        lines[3] = QStringLiteral("Up            = \"\" \"\" \"\" \"\" \"^[[Z\"");
        lines.insert(4, QStringLiteral("Home          = \"^[[1~\""));
        lines.removeAt(11); // F1 of [Other]
        lines.removeLast();
        lines << QString() << QStringLiteral("[New]") << QStringLiteral("End           = \"^[[4~\"");
        QCOMPARE(map.text(), lines.join(u'\n') + u'\n');

        KeyMap reread;
        reread.setText(map.text());
        QCOMPARE((*reread.find(QStringLiteral("Mine"), QStringLiteral("Up")))[4], QByteArray("\x1b[Z"));
        QVERIFY(!reread.find(QStringLiteral("Other"), QStringLiteral("F1")));
    }

    void shippedTables_data()
    {
        QTest::addColumn<QString>("emulation");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("cursorApp");
        QTest::addColumn<bool>("keypadApp");
        QTest::addColumn<QByteArray>("expected"); // null: left to the terminal
        const int kp = Qt::KeypadModifier;
        const int ctrl = Qt::ControlModifier;
        const int shift = Qt::ShiftModifier;
        auto row
            = [](const char *name, const char *emu, int key, int mods, bool ca, bool ka, QByteArray bytes) {
                  QTest::newRow(name) << QString::fromLatin1(emu) << key << mods << ca << ka << bytes;
              };
        row("ANSI up", "ANSI", Qt::Key_Up, 0, false, false, "\x1b[A");
        row("ANSI ctrl+right", "ANSI", Qt::Key_Right, ctrl, false, false, "\x1b[1;5C");
        row("ANSI home", "ANSI", Qt::Key_Home, 0, false, false, "\x1b[H");
        row("ANSI end", "ANSI", Qt::Key_End, 0, false, false, "\x1b[K");
        row("ANSI page down", "ANSI", Qt::Key_PageDown, 0, false, false, "\x1b[U");
        row("ANSI F12", "ANSI", Qt::Key_F12, 0, false, false, "\x1b[24~");
        row("ANSI keypad 5 is text", "ANSI", Qt::Key_5, kp, false, true, QByteArray());
        row("ANSI alt+up unmapped", "ANSI", Qt::Key_Up, Qt::AltModifier, false, false, QByteArray());
        row("VT52 left", "VT52", Qt::Key_Left, 0, true, false,
            "\x1b"
            "D");
        row("VT52 PF1 on Num Lock", "VT52", Qt::Key_NumLock, 0, false, false, "\x1bP");
        row("VT52 keypad 7 numeric", "VT52", Qt::Key_7, kp, false, false, QByteArray());
        row("VT52 keypad 7 alternate", "VT52", Qt::Key_7, kp, false, true, "\x1b?w");
        row("VT52 keypad enter alternate", "VT52", Qt::Key_Enter, kp, false, true, "\x1b?M");
        row("VT100N up", "VT100N", Qt::Key_Up, 0, false, false, "\x1b[A");
        row("VT100N up, cursor app", "VT100N", Qt::Key_Up, 0, true, false, "\x1bOA");
        row("VT100N shift+up, cursor app", "VT100N", Qt::Key_Up, shift, true, false, "\x1b[1;2A");
        row("VT100N PF4 on keypad minus", "VT100N", Qt::Key_Minus, kp, false, false, "\x1bOS");
        row("VT100N keypad 0", "VT100N", Qt::Key_0, kp, false, false, QByteArray());
        row("VT100N keypad enter", "VT100N", Qt::Key_Enter, kp, false, false, "\r");
        row("VT100N keypad 0, host app", "VT100N", Qt::Key_0, kp, false, true, "\x1bOp");
        row("VT100N F5 not a VT100 key", "VT100N", Qt::Key_F5, 0, false, false, QByteArray());
        row("VT100 reads VT100N", "VT100", Qt::Key_F1, 0, false, false, "\x1bOP");
        row("VT100A keypad 9", "VT100A", Qt::Key_9, kp, false, false, "\x1bOy");
        row("VT100A keypad decimal comma", "VT100A", Qt::Key_Comma, kp, false, false, "\x1bOn");
        row("VT100A keypad + is comma", "VT100A", Qt::Key_Plus, kp, false, false, "\x1bOl");
        row("VT100A shift keypad + is minus", "VT100A", Qt::Key_Plus, kp | shift, false, false, "\x1bOm");
        row("VT100A keypad enter", "VT100A", Qt::Key_Enter, kp, false, false, "\x1bOM");
        row("VT100A keypad up, Num Lock off", "VT100A", Qt::Key_Up, kp, true, false, "\x1bOA");
        row("VT220N delete", "VT220N", Qt::Key_Delete, 0, false, false, "\x1b[3~");
        row("VT220N page up", "VT220N", Qt::Key_PageUp, 0, false, false, "\x1b[5~");
        row("VT220N F6", "VT220N", Qt::Key_F6, 0, false, false, "\x1b[17~");
        row("VT220N F20", "VT220N", Qt::Key_F20, 0, false, false, "\x1b[34~");
        row("VT220N shift+F5 is F15", "VT220N", Qt::Key_F5, shift, false, false, "\x1b[28~");
        row("VT220N keypad 3", "VT220N", Qt::Key_3, kp, false, false, QByteArray());
        row("VT220 reads VT220N", "VT220", Qt::Key_F11, 0, false, false, "\x1b[23~");
        row("VT220A keypad 3", "VT220A", Qt::Key_3, kp, false, false, "\x1bOs");
        row("VT220A PF2 on keypad /", "VT220A", Qt::Key_Slash, kp, false, false, "\x1bOQ");
        row("VT220A down, cursor app", "VT220A", Qt::Key_Down, 0, true, false, "\x1bOB");
        row("TN3270 PF1", "TN3270", Qt::Key_F1, 0, false, false,
            "\x1b"
            "1");
        row("TN3270 PF12", "TN3270", Qt::Key_F12, 0, false, false, "\x1b=");
        row("TN3270 PF18", "TN3270", Qt::Key_F6, shift, false, false, "\x1b^");
        row("TN3270 PA1", "TN3270", Qt::Key_PageUp, 0, false, false,
            "\x10"
            "1");
        row("TN3270 PA3", "TN3270", Qt::Key_F3, ctrl, false, false,
            "\x10"
            "3");
        row("TN3270 Clear", "TN3270", Qt::Key_Home, ctrl, false, false, "\x1a");
    }
    void shippedTables()
    {
        QFETCH(QString, emulation);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, cursorApp);
        QFETCH(bool, keypadApp);
        QFETCH(QByteArray, expected);

        QString error;
        QVERIFY2(DefaultKeyMap::install(dir.path(), &error), qPrintable(error));
        KeyEmu emu;
        QSignalSpy problems(&emu, &KeyEmu::problem);
        emu.setMapFile(DefaultKeyMap::pathIn(dir.path()));
        emu.setEmulation(emulation);
        emu.setEnabled(true);
        emu.setProcessExtended(true);
        emu.setCursorKeysApplication(cursorApp);
        emu.setKeypadApplication(keypadApp);
        QCOMPARE(problems.count(), 0);
        const auto bytes = emu.translate(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(bytes.has_value(), !expected.isNull());
        if (bytes)
            QCOMPARE(*bytes, expected);
    }

    void shippedMapParsesCleanly()
    {
        KeyMap map;
        QStringList warnings;
        map.setText(DefaultKeyMap::text(), &warnings);
        QCOMPARE(warnings, QStringList());
        for (const char *name : {"ANSI", "VT52", "VT100N", "VT100A", "TN3270", "VT220N", "VT220A"})
            QVERIFY2(map.hasSection(QString::fromLatin1(name)), name);
    }

    void flagsGateTranslation()
    {
        KeyEmu emu;
        emu.setMapFile(writeMap(QStringLiteral("[T]\nF1 = \"one\"\nBackspace = \"^?\"\n")));
        emu.setEmulation(QStringLiteral("T"));
        emu.setProcessExtended(true);
        emu.setProcessAll(true);
        QVERIFY(!emu.translate(Qt::Key_F1, {})); // disabled

        emu.setEnabled(true);
        QCOMPARE(emu.translate(Qt::Key_F1, {}).value_or(""), QByteArray("one"));
        QCOMPARE(emu.translate(Qt::Key_Backspace, {}).value_or(""), QByteArray("\x7f"));
        QVERIFY(!emu.translate(Qt::Key_A, {})); // no line: left to the terminal

        emu.setProcessAll(false);
        QVERIFY(!emu.translate(Qt::Key_Backspace, {}));
        QVERIFY(emu.translate(Qt::Key_F1, {}));
        emu.setProcessExtended(false);
        QVERIFY(!emu.translate(Qt::Key_F1, {}));
    }

    void reenablingRereadsTheFile()
    {
        const QString path = writeMap(QStringLiteral("[T]\nF1 = \"old\"\n"));
        KeyEmu emu;
        emu.setMapFile(path);
        emu.setEmulation(QStringLiteral("T"));
        emu.setProcessExtended(true);
        emu.setEnabled(true);
        writeMap(QStringLiteral("[T]\nF1 = \"new\"\n"));
        QCOMPARE(emu.translate(Qt::Key_F1, {}).value_or(""), QByteArray("old"));
        emu.setEnabled(false);
        emu.setEnabled(true);
        QCOMPARE(emu.translate(Qt::Key_F1, {}).value_or(""), QByteArray("new"));
    }

    void problemsAreReported()
    {
        KeyEmu emu;
        QSignalSpy problems(&emu, &KeyEmu::problem);
        emu.setMapFile(dir.filePath(QStringLiteral("missing.ini")));
        emu.setEnabled(true);
        QCOMPARE(problems.count(), 1);
        QVERIFY(problems[0][0].toString().contains(QStringLiteral("missing.ini")));

        emu.setMapFile(writeMap(QStringLiteral("[T]\nF1 = oops\n")));
        QCOMPARE(problems.count(), 2);
        QVERIFY(problems[1][0].toString().contains(QStringLiteral("line 2")));
        emu.setEmulation(QStringLiteral("VT52"));
        QCOMPARE(problems.count(), 3);
        QVERIFY(problems[2][0].toString().contains(QStringLiteral("no table for VT52")));
    }

    void installKeepsAnExistingMap()
    {
        QTemporaryDir home;
        const QString existing = home.filePath(QStringLiteral("KEYBRD.INI"));
        QVERIFY(TestFiles::write(existing, "[Mine]\n"));
        QString error;
        QVERIFY(DefaultKeyMap::install(home.path(), &error));
        QCOMPARE(DefaultKeyMap::pathIn(home.path()), existing);
        QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList{QStringLiteral("KEYBRD.INI")});

        const QString fresh = home.filePath(QStringLiteral("sub/"));
        QVERIFY(DefaultKeyMap::install(fresh, &error));
        QCOMPARE(
            QString::fromUtf8(TestFiles::read(fresh + QStringLiteral("Keybrd.ini"))), DefaultKeyMap::text());
    }
};

QTEST_GUILESS_MAIN(KeyEmuTest)
#include "keyemu.moc"
