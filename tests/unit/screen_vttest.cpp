// Replays what vttest sent during its cursor-movement, screen-feature,
// character-set, report and VT102 menus (recorded by
// tests/data/vttest/record-all.sh) and checks the screens a VT100 and a
// VT220 must show: first what vttest itself asks to see on each screen, then
// every screen against the reviewed copies in NAME.screens.

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "comms/screen/ScreenText.h"
#include "comms/screen/Termemu.h"

namespace {

QString dataPath(const QString &file)
{
    return qEnvironmentVariable("TARNEX_SOURCE_DIR") + QStringLiteral("/tests/data/vttest/") + file;
}

QByteArray readFile(const QString &file)
{
    QFile f(dataPath(file));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(f.fileName()));
    return f.readAll();
}

QString dump(const ScreenModel &s)
{
    QString out = screenRows(s).join(QLatin1Char('\n'));
    out += QStringLiteral("\nCURSOR %1 %2\n").arg(s.cursorRow()).arg(s.cursorColumn());
    return out;
}

// The screen at each point where a key was typed, step 1 first.
QList<ScreenModel> replay(const QString &name)
{
    const QByteArray stream = readFile(name + QStringLiteral(".bin"));
    Termemu emu;
    emu.setEmulation(name.endsWith(QStringLiteral("vt220")) ? Termemu::Vt220 : Termemu::Vt100);
    QList<ScreenModel> screens;
    qsizetype fed = 0;
    for (const QByteArray &line : readFile(name + QStringLiteral(".steps")).split('\n')) {
        if (line.isEmpty())
            continue;
        const qsizetype offset = line.split(' ').first().toLongLong();
        emu.feed(stream.mid(fed, offset - fed));
        fed = offset;
        screens << emu.screen();
    }
    return screens;
}

QStringList rows(const ScreenModel &s)
{
    return screenRows(s);
}

} // namespace

class ScreenVttestTest : public QObject {
    Q_OBJECT
private slots:
    void emulation_data()
    {
        QTest::addColumn<QString>("emulation");
        QTest::newRow("vt100") << QStringLiteral("vt100");
        QTest::newRow("vt220") << QStringLiteral("vt220");
    }

    void cursorMovements_data() { emulation_data(); }
    void cursorMovements()
    {
        QFETCH(QString, emulation);
        const QList<ScreenModel> s = replay(QStringLiteral("menu1-") + emulation);
        // Border of *'s and +'s with a frame of E's, in 80 and then 132 columns.
        for (int step : {1, 2}) {
            const int w = step == 1 ? 80 : 132;
            const QStringList r = rows(s[step]);
            QCOMPARE(s[step].columns(), w);
            QCOMPARE(r[0], QString(w, '*'));
            QCOMPARE(r[23], QString(w, '*'));
            QCOMPARE(r[1], '*' + QString(w - 2, '+') + '*');
            QCOMPARE(r[22], '*' + QString(w - 2, '+') + '*');
            for (int row = 2; row < 22; ++row) {
                QVERIFY2(r[row].startsWith(QStringLiteral("*+")) && r[row].endsWith(QStringLiteral("+*"))
                        && r[row].size() == w,
                    qPrintable(r[row]));
            }
            const int frame = (w - 60) / 2;
            QCOMPARE(r[8].mid(frame, 60), QString(60, 'E'));
            QCOMPARE(r[15].mid(frame, 60), QString(60, 'E'));
            QCOMPARE(r[12].at(frame), QChar('E'));
            QCOMPARE(r[12].at(frame + 59), QChar('E'));
        }
        // Autowrap mixed with controls: letters in order down both margins.
        for (int step : {3, 4}) {
            const int w = step == 3 ? 80 : 132;
            const QStringList r = rows(s[step]);
            for (int row = 2; row < 20; ++row) {
                const QChar upper = QChar('I' + row - 2);
                QCOMPARE(r[row].size(), w);
                QCOMPARE(r[row].at(0), upper);
                QCOMPARE(r[row].at(w - 1), upper.toLower());
                QCOMPARE(r[row].mid(1, w - 2).trimmed(), QString());
            }
        }
        // Controls inside escape sequences: four identical lines.
        const QStringList r5 = rows(s[5]);
        for (int row = 3; row < 7; ++row)
            QCOMPARE(r5[row], QStringLiteral("A B C D E F G H I"));
        // Leading zeros in parameters.
        QCOMPARE(rows(s[6])[3], QStringLiteral("This is a correct sentence"));
    }

    void screenFeatures_data() { emulation_data(); }
    void screenFeatures()
    {
        QFETCH(QString, emulation);
        const QList<ScreenModel> s = replay(QStringLiteral("menu2-") + emulation);
        // Wrap-around: three full lines of *'s without gaps.
        for (int row = 0; row < 3; ++row)
            QCOMPARE(rows(s[1])[row], QString(80, '*'));
        QCOMPARE(rows(s[1])[4].left(10), QStringLiteral("This shoul"));
        // Tab setting and resetting: both lines alike.
        QCOMPARE(rows(s[2])[0], rows(s[2])[1]);
        QVERIFY(rows(s[2])[0].contains('*'));
        // 132/80 columns, light and dark background.
        QCOMPARE(s[3].columns(), 132);
        QVERIFY(s[3].reverseScreen());
        QCOMPARE(s[4].columns(), 80);
        QVERIFY(!s[6].reverseScreen());
        // Origin mode: the lines land at the bottom and the top.
        QCOMPARE(rows(s[11])[23],
            QStringLiteral("Origin mode test. This line should be at the bottom of the screen."));
        QVERIFY(rows(s[11])[22].startsWith(QStringLiteral("This line should be the one above the bottom")));
        QVERIFY(rows(s[12])[0].startsWith(QStringLiteral("This line should be at the top of the screen.")));
        QCOMPARE(rows(s[12])[23], rows(s[11])[23]);
        // Graphic rendition: each word drawn with the attributes it names.
        const ScreenModel &g = s[13];
        const struct {
            int row, col;
            quint8 flags;
        } words[] = {{3, 0, 0}, {3, 39, CellBold}, {5, 5, CellUnderline}, {7, 0, CellBlink},
            {9, 44, CellBold | CellUnderline | CellBlink}, {11, 0, CellReverse},
            {15, 0, CellBlink | CellReverse}};
        for (const auto &w : words)
            QCOMPARE(g.cell(w.row, w.col).flags, w.flags);
        QVERIFY(!s[13].reverseScreen());
        QVERIFY(s[14].reverseScreen());
        // Save/restore cursor: a 5 x 4 block of A's, ten of each flavour.
        const QStringList r = rows(s[15]);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(r[row], QStringLiteral("AAAAA"));
        QCOMPARE(r[9].mid(11).remove(' '), QString(50, '*'));
        QCOMPARE(r[11].mid(11).remove(' '), QString(50, QChar(0x2500)));
        QCOMPARE(s[15].cell(9, 23).flags, quint8(CellBold));
        QCOMPARE(s[15].cell(9, 59).flags, quint8(CellReverse));
    }

    void characterSets()
    {
        const QString graphics
            = QStringLiteral("\u25c6\u2592\u2409\u240c\u240d\u240a\u00b0\u00b1\u2424\u240b\u2518"
                             "\u2510\u250c\u2514\u253c\u23ba\u23bb\u2500\u23bc\u23bd\u251c\u2524"
                             "\u2534\u252c\u2502\u2264\u2265\u03c0\u2260\u00a3\u00b7");
        for (const QString &name : {QStringLiteral("menu3-vt100"), QStringLiteral("menu3-vt220")}) {
            const QList<ScreenModel> s = replay(name);
            const ScreenModel &sets = s[name.endsWith(QStringLiteral("vt100")) ? 1 : 2];
            const QStringList r = rows(sets);
            // G0 (SI) and G1 (SO) columns show the same set.
            QCOMPARE(r[13], QString(9, ' ') + graphics + QString(7, ' ') + graphics);
            QCOMPARE(r[21], r[13]);
            // The British set differs from ASCII only in the pound sign.
            QCOMPARE(r[7], QString(r[3]).replace('#', QChar(0xa3)));
            QCOMPARE(r[7].count(QChar(0xa3)), 2);
            QCOMPARE(r[3], r[15]);
        }
    }

    void reports()
    {
        const QList<ScreenModel> vt100 = replay(QStringLiteral("menu6-vt100"));
        const QString all100 = [&] {
            QString t;
            for (const ScreenModel &m : vt100)
                t += dump(m);
            return t;
        }();
        QVERIFY(all100.contains(QStringLiteral("Report is: <27> [ 0 n  -- means \"TERMINAL OK\"")));
        QVERIFY(all100.contains(QStringLiteral("Report is: <27> [ 5 ; 1 R  -- OK")));
        QVERIFY(all100.contains(QStringLiteral("-- means VT100 with AVO")));
        QVERIFY(
            all100.contains(QStringLiteral("Report is: <27> [ 2 ; 1 ; 1 ; 1 2 0 ; 1 2 0 ; 1 ; 0 x  -- OK")));
        QVERIFY(
            all100.contains(QStringLiteral("Report is: <27> [ 3 ; 1 ; 1 ; 1 2 0 ; 1 2 0 ; 1 ; 0 x  -- OK")));
        QString all220;
        for (const ScreenModel &m : replay(QStringLiteral("menu6-vt220")))
            all220 += dump(m);
        QVERIFY(all220.contains(QStringLiteral("<27> [ ? 6 2 ; 1 ; 2 ; 6 ; 7 ; 8 ; 9 c  VT200 family")));
        QVERIFY(all220.contains(QStringLiteral("Pp=1 (VT220)")));
        QVERIFY(all220.contains(QStringLiteral("Report is: <27> [ 5 ; 1 R  -- OK")));
    }

    void insertDelete_data() { emulation_data(); }
    void insertDelete()
    {
        QFETCH(QString, emulation);
        const QList<ScreenModel> s = replay(QStringLiteral("menu8-") + emulation);
        // Accordion: top line A's, bottom line X's, the message, nothing more.
        const QStringList r = rows(s[2]);
        QCOMPARE(r[0], QString(80, 'A'));
        QCOMPARE(r[23], QString(80, 'X'));
        QCOMPARE(
            r[1], QStringLiteral("Top line: A's, bottom line: X's, this line, nothing more. Push <RETURN>"));
        for (int row = 2; row < 23; ++row)
            QCOMPARE(r[row], QString());
        QCOMPARE(rows(s[3])[0], 'A' + QString(78, '*') + 'B');
        QCOMPARE(rows(s[4])[0], QStringLiteral("AB"));
        // Delete character: the right column staggered by one.
        const QStringList d = rows(s[5]);
        for (int row = 5; row < 24; ++row)
            QCOMPARE(d[row], QString(79 - row, QChar('A' + row)));
        // Insert character: two equal lines of letters.
        QCOMPARE(rows(s[7])[5], rows(s[7])[2]);
        QVERIFY(rows(s[7])[2].startsWith(QStringLiteral("  A B C")));
    }

    void matchesReviewedScreens_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *menu : {"menu1", "menu2", "menu3", "menu6", "menu8"}) {
            for (const char *emu : {"vt100", "vt220"}) {
                const QString name = QStringLiteral("%1-%2").arg(menu, emu);
                QTest::newRow(qPrintable(name)) << name;
            }
        }
    }
    void matchesReviewedScreens()
    {
        QFETCH(QString, name);
        const QString reviewed = QString::fromUtf8(readFile(name + QStringLiteral(".screens")));
        const QStringList expected
            = reviewed.split(QRegularExpression(QStringLiteral("=== step \\d+\n")), Qt::SkipEmptyParts);
        const QList<ScreenModel> screens = replay(name);
        QCOMPARE(screens.size(), expected.size());
        for (int i = 0; i < screens.size(); ++i) {
            QString actual = dump(screens[i]);
            QString want = expected[i];
            if (actual != want)
                qWarning("step %d differs", i + 1);
            QCOMPARE(actual, want);
        }
    }
};

QTEST_GUILESS_MAIN(ScreenVttestTest)
#include "screen_vttest.moc"
