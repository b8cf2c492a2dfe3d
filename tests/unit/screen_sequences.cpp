// Byte streams through each emulation and the page, cursor and replies
// they must leave.

#include <QTest>

#include "comms/screen/ScreenText.h"
#include "comms/screen/Termemu.h"

namespace {

// "^[" stands for ESC so that escapes cannot run into following hex digits.
QByteArray esc(const char *text)
{
    return QByteArray(text).replace("^[", "\x1b");
}

struct Run {
    QStringList rows;
    QByteArray replies;
    int row = 0;
    int col = 0;
};

Run run(int emulation, const QByteArray &input, int rows = 6, int cols = 20)
{
    Termemu emu;
    emu.setEmulation(emulation);
    emu.resize(rows, cols);
    Run r;
    QObject::connect(&emu, &Termemu::reply, [&](const QByteArray &b) { r.replies += b; });
    emu.feed(input);
    r.rows = screenRows(emu.screen());
    r.row = emu.screen().cursorRow();
    r.col = emu.screen().cursorColumn();
    return r;
}

} // namespace

class ScreenSequencesTest : public QObject {
    Q_OBJECT
private slots:
    void page_data()
    {
        QTest::addColumn<int>("emulation");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        const int vt100 = Termemu::Vt100, vt220 = Termemu::Vt220, vt52 = Termemu::Vt52, ansi = Termemu::Ansi,
                  bbs = Termemu::AnsiBbs, none = Termemu::NoEmulation;
        const QByteArray twenty = "abcdefghijklmnopqrst";

        // Wrapping at the last column.
        QTest::newRow("vt100 deferred wrap") << vt100 << twenty + "X" << QStringList{twenty, "X"} << 1 << 1;
        QTest::newRow("vt100 CR cancels pending wrap")
            << vt100 << twenty + "\rX" << QStringList{"Xbcdefghijklmnopqrst"} << 0 << 1;
        QTest::newRow("vt100 CRLF after full row")
            << vt100 << twenty + "\r\nX" << QStringList{twenty, "X"} << 1 << 1;
        QTest::newRow("vt100 autowrap off overwrites last column")
            << vt100 << esc("^[[?7l") + twenty + "XYZ" << QStringList{"abcdefghijklmnopqrsZ"} << 0 << 19;
        QTest::newRow("ansi wraps at once")
            << ansi << twenty + "\r\nX" << QStringList{twenty, "", "X"} << 2 << 1;
        QTest::newRow("ansi wrap at bottom right scrolls")
            << ansi << esc("^[[6;1H") + twenty << QStringList{"", "", "", "", twenty, ""} << 5 << 0;

        // Cursor movement and erasing.
        QTest::newRow("cup and ed 0")
            << vt100 << esc("aaaa\r\nbbbb\r\ncccc^[[2;3H^[[J") << QStringList{"aaaa", "bb"} << 1 << 2;
        QTest::newRow("ed 1 and el 2") << vt100 << esc("aaaa\r\nbbbb\r\ncccc^[[2;3H^[[1J^[[3;1H^[[2K")
                                       << QStringList{"", "   b"} << 2 << 0;
        QTest::newRow("cursor stops at margins")
            << vt100 << esc("^[[3;5r^[[4;1H^[[10A*^[[10B+") << QStringList{"", "", "*", "", " +"} << 4 << 2;
        QTest::newRow("zero and missing params default to one")
            << vt100 << esc("^[[0;0H1^[[;5H2^[[0C3") << QStringList{"1   2 3"} << 0 << 7;
        QTest::newRow("controls inside a sequence act at once")
            << vt100 << esc("ab^[[2\bC*") << QStringList{"ab *"} << 0 << 4;
        QTest::newRow("oversized parameters clamp")
            << vt100 << esc("^[[99999;99999H*") << QStringList{"", "", "", "", "", "                   *"}
            << 5 << 19;

        // Scroll region, origin mode, index.
        QTest::newRow("index scrolls region only")
            << vt100 << esc("1\r\n2\r\n3\r\n4\r\n5\r\n6^[[2;4r^[[4;1H^[D^[D")
            << QStringList{"1", "4", "", "", "5", "6"} << 3 << 0;
        QTest::newRow("reverse index at top margin")
            << vt100 << esc("1\r\n2\r\n3^[[2;3r^[[2;1H^[M") << QStringList{"1", "", "2"} << 1 << 0;
        QTest::newRow("origin mode addresses the region")
            << vt100 << esc("^[[3;5r^[[?6h^[[1;1HX^[[9;9HY") << QStringList{"", "", "X", "", "        Y"} << 4
            << 9;
        QTest::newRow("NEL") << vt100 << esc("ab^[Ecd") << QStringList{"ab", "cd"} << 1 << 2;

        // Editing (VT102).
        QTest::newRow("insert and delete characters")
            << vt100 << esc("abcdef^[[1;3H^[[2@^[[1;1H^[[P") << QStringList{"b  cdef"} << 0 << 0;
        QTest::newRow("insert mode") << vt100 << esc("abc^[[1;2H^[[4hXY^[[4lZ") << QStringList{"aXYZc"} << 0
                                     << 4;
        QTest::newRow("insert and delete lines in region")
            << vt100 << esc("1\r\n2\r\n3\r\n4\r\n5^[[2;4r^[[2;1H^[[L^[[4;1H^[[2M")
            << QStringList{"1", "", "2", "", "5"} << 3 << 0;
        QTest::newRow("erase characters")
            << vt220 << esc("abcdef^[[1;2H^[[3X") << QStringList{"a   ef"} << 0 << 1;

        // Tabs.
        QTest::newRow("default tabs")
            << vt100 << QByteArray("a\tb\tc\t\t\td") << QStringList{"a       b       c  d"} << 0 << 19;
        QTest::newRow("set and clear tabs") << vt100 << esc("^[[3g^[[1;4H^[H^[[1;1H\tx^[[1;4H^[[g\r\ty")
                                            << QStringList{"   x               y"} << 0 << 19;

        // Save and restore with attributes and character sets.
        QTest::newRow("decsc decrc") << vt100 << esc("^[(0^[[2;3H^[7^[(B^[[5;5H^[8q^[(Bq")
                                     << QStringList{"", "  \u2500q"} << 1 << 4;
        QTest::newRow("decaln") << vt100 << esc("^[[2;3r^[#8")
                                << QStringList{QString(20, 'E'), QString(20, 'E'), QString(20, 'E'),
                                       QString(20, 'E'), QString(20, 'E'), QString(20, 'E')}
                                << 0 << 0;

        // Character sets.
        QTest::newRow("special graphics")
            << vt100 << esc("^[(0lqwk^[(B!") << QStringList{"\u250c\u2500\u252c\u2510!"} << 0 << 5;
        QTest::newRow("SO and SI with G1") << vt100
                                           << esc("^[)0a\x0e"
                                                  "a\x0f"
                                                  "a")
                                           << QStringList{"a\u2592a"} << 0 << 3;
        QTest::newRow("uk set") << vt100 << esc("^[(A#^[(B#") << QStringList{"\u00a3#"} << 0 << 2;
        QTest::newRow("vt220 single shift G2")
            << vt220 << esc("^[*0^[Njj") << QStringList{"\u2518j"} << 0 << 2;
        QTest::newRow("vt220 locking shift G3 and GR supplemental")
            << vt220 << esc("^[+K^[o[^[(B\xe9\xd7") << QStringList{"\u00c4\u00e9\u0152"} << 0 << 3;
        QTest::newRow("vt220 german national set")
            << vt220 << esc("^[(K{|}~") << QStringList{"\u00e4\u00f6\u00fc\u00df"} << 0 << 4;
        QTest::newRow("vt100 ignores G2") << vt100 << esc("^[*0^[Nj") << QStringList{"j"} << 0 << 1;

        // 8-bit controls.
        QTest::newRow("vt220 C1 CSI") << vt220
                                      << QByteArray("ab\x9b"
                                                    "1;1HX")
                                      << QStringList{"Xb"} << 0 << 1;
        QTest::newRow("vt100 shows 8-bit bytes as Latin-1") << vt100
                                                            << QByteArray("\x9b"
                                                                          "1;1H\xe9")
                                                            << QStringList{"\u009b1;1H\u00e9"} << 0 << 6;
        QTest::newRow("vt220 selective erase spares protected")
            << vt220 << esc("^[[1\"qab^[[0\"qcd^[[1;1H^[[?2K") << QStringList{"ab"} << 0 << 0;
        QTest::newRow("vt220 plain erase clears protected")
            << vt220 << esc("^[[1\"qab^[[0\"qcd^[[2K") << QStringList{""} << 0 << 4;

        // VT52.
        QTest::newRow("vt52 direct address")
            << vt52 << esc("^[Y\x22\x25*^[Y  +") << QStringList{"+", "", "     *"} << 0 << 1;
        QTest::newRow("vt52 erase") << vt52 << esc("aaaa\r\nbbbb^[A^[D^[D^[D^[K^[B^[J")
                                    << QStringList{"a", "b"} << 1 << 1;
        QTest::newRow("vt52 graphics") << vt52 << esc("^[Ffg^[Gf") << QStringList{"\u00b0\u00b1f"} << 0 << 3;
        QTest::newRow("vt52 leaves CSI alone") << vt52 << esc("^[[2J") << QStringList{"2J"} << 0 << 2;
        QTest::newRow("vt100 enters and leaves vt52 mode")
            << vt100 << esc("^[[?2l^[Y\x21\x21*^[<^[[1;1H+") << QStringList{"+", " *"} << 0 << 1;

        // ANSI as DOS and BBS hosts use it.
        QTest::newRow("ansi clear homes") << ansi << esc("abc\r\ndef^[[2Jx") << QStringList{"x"} << 0 << 1;
        QTest::newRow("ansi save restore")
            << ansi << esc("ab^[[s^[[3;3Hx^[[uc") << QStringList{"abc", "", "  x"} << 0 << 3;
        QTest::newRow("ansi form feed clears") << ansi << QByteArray("abc\fd") << QStringList{"d"} << 0 << 1;
        QTest::newRow("ansi high bytes are latin-1")
            << ansi << QByteArray("\xe9\xb0") << QStringList{"\u00e9\u00b0"} << 0 << 2;
        QTest::newRow("ansibbs cp437 and control glyphs")
            << bbs << QByteArray("\xb0\xdb\xc9\xcd\x01\x10\x7f\r\n")
            << QStringList{"\u2591\u2588\u2554\u2550\u263a\u25ba\u2302"} << 1 << 0;

        // No emulation.
        QTest::newRow("none ignores sequences")
            << none << esc("ab\bc\tx^[[2J\x0c!") << QStringList{"ac      x!"} << 0 << 10;

        // Malformed input is dropped whole.
        QTest::newRow("cancelled sequence") << vt100
                                            << esc("a^[[1\x18"
                                                   "5Hb")
                                            << QStringList{"a5Hb"} << 0 << 4;
        QTest::newRow("osc title is not shown") << vt100
                                                << esc("a^[]0;title\x07"
                                                       "b^[]2;t^[\\c")
                                                << QStringList{"abc"} << 0 << 3;
        QTest::newRow("dcs string is not shown")
            << vt220 << esc("a^[P1$r0m^[\\b") << QStringList{"ab"} << 0 << 2;
        QTest::newRow("too many intermediates") << vt100 << esc("a^[(((0qb") << QStringList{"aqb"} << 0 << 3;
    }
    void page()
    {
        QFETCH(int, emulation);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, rows);
        QFETCH(int, row);
        QFETCH(int, col);
        const Run r = run(emulation, input);
        while (rows.size() < r.rows.size())
            rows << QString();
        QCOMPARE(r.rows, rows);
        QCOMPARE(r.row, row);
        QCOMPARE(r.col, col);
    }

    void replies_data()
    {
        QTest::addColumn<int>("emulation");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("replies");
        const int vt100 = Termemu::Vt100, vt220 = Termemu::Vt220, vt52 = Termemu::Vt52, ansi = Termemu::Ansi;
        QTest::newRow("vt100 DA") << vt100 << esc("^[[c^[[0c^[Z") << esc("^[[?1;2c^[[?1;2c^[[?1;2c");
        QTest::newRow("vt220 DA and secondary DA")
            << vt220 << esc("^[[c^[[>c") << esc("^[[?62;1;2;6;7;8;9c^[[>1;10;0c");
        QTest::newRow("status and position") << vt100 << esc("^[[5n^[[3;7H^[[6n") << esc("^[[0n^[[3;7R");
        QTest::newRow("position in origin mode")
            << vt100 << esc("^[[2;5r^[[?6h^[[2;3H^[[6n") << esc("^[[2;3R");
        QTest::newRow("DECREQTPARM") << vt100 << esc("^[[x^[[1x")
                                     << esc("^[[2;1;1;120;120;1;0x^[[3;1;1;120;120;1;0x");
        QTest::newRow("vt220 8-bit replies") << vt220 << esc("^[ G^[[5n^[ F^[[5n")
                                             << QByteArray("\x9b"
                                                           "0n\x1b[0n");
        QTest::newRow("vt220 private status") << vt220 << esc("^[[?15n^[[?26n") << esc("^[[?13n^[[?27;1n");
        QTest::newRow("vt52 identify") << vt52 << esc("^[Z") << esc("^[/Z");
        QTest::newRow("ansi position") << ansi << esc("^[[2;4H^[[6n") << esc("^[[2;4R");
        QTest::newRow("vt100 ignores private requests it lacks")
            << vt100 << esc("^[[>c^[[?15n") << QByteArray();
    }
    void replies()
    {
        QFETCH(int, emulation);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, replies);
        QCOMPARE(run(emulation, input).replies, replies);
    }

    void attributes()
    {
        Termemu emu;
        emu.setEmulation(Termemu::Ansi);
        emu.resize(3, 20);
        emu.feed(esc("^[[1;31ma^[[0;44mb^[[5;7;8mc^[[0m d"));
        const ScreenModel &s = emu.screen();
        QCOMPARE(s.cell(0, 0).fg, quint8(9));
        QCOMPARE(s.cell(0, 0).flags, quint8(CellBold));
        QCOMPARE(s.cell(0, 1).bg, quint8(4));
        QCOMPARE(s.cell(0, 2).flags, quint8(CellBlink | CellReverse | CellInvisible));
        QCOMPARE(attributeRuns(s, 0), QStringLiteral("0-0:9/0B 1-1:7/4 2-2:7/4KRI"));
        emu.setColours(15, 1);
        emu.feed("x");
        QCOMPARE(s.cell(0, 5).fg, quint8(15));
        QCOMPARE(s.cell(0, 5).bg, quint8(1));
        emu.feed(esc("^[[31m^[[0my"));
        QCOMPARE(s.cell(0, 6).fg, quint8(15));
        // Extended colours map to the nearest of the 16 and do not leak
        // their sub-parameters (5 would be blink) into other attributes.
        emu.feed(esc("^[[38;5;196;48;5;4ma^[[38;2;0;0;255;48;2;40;40;40mb^[[38;5;240mc^[[38;5m"));
        QCOMPARE(s.cell(0, 7).fg, quint8(9));
        QCOMPARE(s.cell(0, 7).bg, quint8(4));
        QCOMPARE(s.cell(0, 7).flags, quint8(0));
        QCOMPARE(s.cell(0, 8).fg, quint8(12));
        QCOMPARE(s.cell(0, 8).bg, quint8(0));
        QCOMPARE(s.cell(0, 9).fg, quint8(8));
        QCOMPARE(s.pen().flags, quint8(0));
    }

    void modesReachTheKeyboard()
    {
        Termemu emu;
        QList<bool> keypad, cursor, vt52;
        connect(&emu, &Termemu::keypadModeChanged, [&](bool on) { keypad << on; });
        connect(&emu, &Termemu::cursorKeyModeChanged, [&](bool on) { cursor << on; });
        connect(&emu, &Termemu::vt52ModeChanged, [&](bool on) { vt52 << on; });
        emu.feed(esc("^[=^[[?1h^[>^[[?1l^[[?2l^[<"));
        QCOMPARE(keypad, (QList<bool>{true, false}));
        QCOMPARE(cursor, (QList<bool>{true, false}));
        QCOMPARE(vt52, (QList<bool>{true, false}));
    }

    void softAndHardReset()
    {
        Termemu emu;
        emu.setEmulation(Termemu::Vt220);
        emu.resize(6, 20);
        const ScreenModel &s = emu.screen();
        emu.feed(esc("^[[2;5r^[[?6h^[[4h^[[?25l^[=^[[1;7m^[(0^[[3;4H"));
        QVERIFY(!s.cursorVisible());
        QVERIFY(emu.applicationKeypad());
        // DECSTR: modes back to their defaults, cursor and text stay.
        emu.feed(esc("^[[!pq"));
        QVERIFY(s.cursorVisible());
        QVERIFY(!emu.applicationKeypad());
        QVERIFY(!s.originMode());
        QVERIFY(!s.insertMode());
        QCOMPARE(s.regionTop(), 0);
        QCOMPARE(s.regionBottom(), 5);
        QCOMPARE(s.cell(3, 3).ch, U'q');
        QCOMPARE(s.cell(3, 3).flags, quint8(0));
        QCOMPARE(s.cursorRow(), 3);
        QCOMPARE(s.cursorColumn(), 4);
        // RIS: page cleared, cursor home.
        emu.feed(esc("^[c"));
        QCOMPARE(s.lineText(s.firstVisibleLine() + 3), QString());
        QCOMPARE(s.cursorRow(), 0);
        QCOMPARE(s.cursorColumn(), 0);
    }

    void bPlusDetection()
    {
        // While enabled, feeding stops at the start sequence and the rest is
        // left for the transfer engine.
        Termemu emu;
        emu.setEmulation(Termemu::AnsiBbs);
        emu.setAnswerback("ANS");
        QByteArray replies;
        QList<char> triggers;
        connect(&emu, &Termemu::reply, [&](const QByteArray &b) { replies += b; });
        connect(&emu, &Termemu::bPlusDetected, [&](char t) { triggers << t; });
        emu.setBPlusDetection(true);
        const QByteArray in = QByteArray("ab\x05"
                                         "cd");
        QCOMPARE(emu.feed(in), 3);
        QCOMPARE(emu.feed(QByteArray("x\x10yz")), 2);
        QCOMPARE(emu.feed(esc("^[Iq")), 2);
        QCOMPARE(triggers, (QList<char>{'\x05', '\x10', 'I'}));
        QCOMPARE(emu.screen().lineText(emu.screen().firstVisibleLine()), QStringLiteral("abx"));
        QVERIFY(replies.isEmpty());
        emu.setBPlusDetection(false);
        QCOMPARE(emu.feed(QByteArray("\x05z")), 2);
        QCOMPARE(replies, QByteArray("ANS"));
        QCOMPARE(triggers.size(), 3);
    }

    void scrollBack()
    {
        Termemu emu;
        emu.resize(4, 10);
        ScreenModel &s = emu.screen();
        for (int i = 0; i < 600; ++i)
            emu.feed(QByteArray::number(i) + "\r\n");
        QCOMPARE(s.bufferLineCount(), ScreenModel::BufferRows);
        QCOMPARE(s.firstVisibleLine(), ScreenModel::BufferRows - 4);
        // The oldest kept line is the one 499 rows above the cursor row.
        QCOMPARE(s.lineText(0), QStringLiteral("101"));
        QCOMPARE(s.lineText(s.firstVisibleLine() + 2), QStringLiteral("599"));
        // A scroll region that does not start at the top keeps nothing.
        emu.feed(esc("^[[2;4r^[[4;1H\n\n"));
        QCOMPARE(s.lineText(0), QStringLiteral("101"));
        emu.clearScreen();
        QCOMPARE(s.firstVisibleLine(), ScreenModel::BufferRows - 4);
        emu.clearScreenAndBuffer();
        QCOMPARE(s.firstVisibleLine(), 0);
        QCOMPARE(s.lineText(0), QString());
    }

    void resize()
    {
        Termemu emu;
        emu.resize(5, 10);
        emu.feed("1\r\n2\r\n3\r\n4\r\n5");
        emu.resize(3, 4);
        ScreenModel &s = emu.screen();
        // Rows above the cursor go to scroll-back so the cursor row stays.
        QCOMPARE(screenRows(s), (QStringList{"3", "4", "5"}));
        QCOMPARE(s.lineText(0), QStringLiteral("1"));
        QCOMPARE(s.cursorRow(), 2);
        emu.resize(9999, 9999);
        QCOMPARE(s.rows(), ScreenModel::BufferRows);
        QCOMPARE(s.columns(), ScreenModel::MaxColumns);
        QCOMPARE(s.firstVisibleLine(), 0);
        // 132-column switch clears and tells the view.
        QList<int> widths;
        connect(&emu, &Termemu::sizeChanged, [&](int, int c) { widths << c; });
        emu.resize(24, 80);
        emu.feed(esc("x^[[?3h"));
        QCOMPARE(s.columns(), 132);
        QCOMPARE(s.lineText(s.firstVisibleLine()), QString());
        emu.feed(esc("^[[1;200H*^[[?3l"));
        QCOMPARE(widths, (QList<int>{132, 80}));
    }

    void damageTracking()
    {
        Termemu emu;
        emu.resize(5, 10);
        ScreenModel &s = emu.screen();
        int changed = 0;
        connect(&emu, &Termemu::changed, [&] { ++changed; });
        s.clearDamage();
        emu.feed(esc("^[[3;1Hx"));
        QCOMPARE(changed, 1);
        QVERIFY(s.isRowDirty(2));
        QVERIFY(!s.isRowDirty(0));
        s.clearDamage();
        emu.feed("\n\n\n");
        QVERIFY(s.isRowDirty(0));
        QCOMPARE(s.scrolledOff(), 1);
        s.clearDamage();
        emu.feed(esc("^[]0;t\x07"));
        QCOMPARE(changed, 2);
    }
};

QTEST_GUILESS_MAIN(ScreenSequencesTest)
#include "screen_sequences.moc"
