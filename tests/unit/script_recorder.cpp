#include <QTemporaryDir>
#include <QTest>

#include "script/ScriptError.h"
#include "script/ScriptFileText.h"
#include "script/ScriptRecorder.h"
#include "script/TCustomScript.h"

// The recorder turns typed lines into a script that parses and sends what
// was typed.
class ScriptRecorderTest : public QObject {
    Q_OBJECT

    static void type(ScriptRecorder &recorder, const QByteArray &keys, const QString &row)
    {
        for (const char c : keys)
            recorder.typed(c, [&row] { return row; });
    }

    // Parses lines as a script file; the records' first texts as they run.
    static QStringList parse(const QStringList &lines)
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("rec.scr"));
        if (!ScriptFileText::write(file, lines))
            return {QStringLiteral("<not written>")};
        TCustomScript script;
        script.setScriptFile(file);
        try {
            script.PrepareScript();
        } catch (const EScriptBadStatement &) {
            return {QStringLiteral("<error %1: %2>").arg(script.ErrLineNum()).arg(script.ErrDesc())};
        }
        QStringList texts;
        for (const TScriptNode &node : script.records())
            texts << script.Evaluate(node.Data);
        return texts;
    }

private slots:
    void promptOfRow_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("login prompt") << QStringLiteral("board login: ") << QStringLiteral("login");
        QTest::newRow("six characters") << QStringLiteral("abcdef   ") << QStringLiteral("abcde");
        QTest::newRow("short row") << QStringLiteral("> ") << QStringLiteral(">");
        QTest::newRow("three characters") << QStringLiteral("ab>") << QStringLiteral("ab>");
        QTest::newRow("empty row") << QString() << QString();
    }
    void promptOfRow()
    {
        QFETCH(QString, row);
        QFETCH(QString, prompt);
        QCOMPARE(ScriptRecorder::promptOf(row), prompt);
    }

    // Two lines typed after two prompts make the documented triplets; the
    // prompt is taken when a line's first key is typed.
    void recordsTriplets()
    {
        ScriptRecorder recorder;
        type(recorder, "ignored", QStringLiteral("x"));
        QVERIFY(recorder.lines().isEmpty());
        recorder.start();
        type(recorder, "ann\r", QStringLiteral("board login: "));
        type(recorder, "secret\r", QStringLiteral("Password: "));
        recorder.halt();
        type(recorder, "after\r", QStringLiteral("$ "));
        QCOMPARE(recorder.lines(),
            (QStringList{QStringLiteral("Wait 'login' 300"), QStringLiteral("If Timeout End"),
                QStringLiteral("Send 'ann^M'"), QStringLiteral("Wait 'sword' 300"),
                QStringLiteral("If Timeout End"), QStringLiteral("Send 'secret^M'")}));
    }

    // Double quotes, carets, control characters and long lines still give a
    // script that parses and sends exactly what was typed.
    void awkwardTypingParses()
    {
        ScriptRecorder recorder;
        recorder.start();
        const QByteArray quote = "say \"hi\" ^ now\x01\r";
        const QByteArray longLine = QByteArray(300, 'x') + "\r";
        type(recorder, quote, QStringLiteral("it's^> "));
        type(recorder, longLine, QStringLiteral("> "));
        recorder.appendEnd();
        const QStringList texts = parse(recorder.lines());
        QVERIFY2(!texts.first().startsWith(QLatin1Char('<')), qPrintable(texts.first()));
        QString sent;
        for (int i = 0; i < texts.size(); ++i) {
            if (recorder.lines().at(i).startsWith(QLatin1String("Send")))
                sent += texts.at(i);
        }
        QCOMPARE(sent, QString::fromLatin1(quote + longLine));
    }
};

QTEST_GUILESS_MAIN(ScriptRecorderTest)
#include "script_recorder.moc"
