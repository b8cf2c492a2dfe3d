// Evaluating stored script texts: terms, quotes, carets, variables and functions.

#include "script/ScriptError.h"
#include "script/ScriptEvaluator.h"

#include <QLocale>
#include <QTest>

class ScriptEvaluatorTest : public QObject {
    Q_OBJECT
private:
    Tvarlist vars;
    QString lastInput;

private slots:
    void initTestCase()
    {
        vars.add(QStringLiteral("@name")).Value = QStringLiteral("Blue Harbour");
        vars.add(QStringLiteral("@X")).Value = QStringLiteral("5");
        vars.add(QStringLiteral("PLAIN")).Value = QStringLiteral("hidden");
        vars.add(QStringLiteral("@DATE")).Value = QStringLiteral("shadowed");
        vars.add(QStringLiteral("@LOWERCASE")).Value = QStringLiteral("lower var");
    }

    void evaluates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("quoted and variable") << "'Hello ' @NAME"
                                             << "Hello Blue Harbour";
        QTest::newRow("unquoted words") << "Hello there"
                                        << "Hellothere";
        QTest::newRow("one character") << "5"
                                       << "5";
        QTest::newRow("quoted variable") << "'@name'"
                                         << "Blue Harbour";
        QTest::newRow("@ inside text") << "'Name@X'"
                                       << "Name@X";
        QTest::newRow("plus joins") << "@X+'!' + \"?\""
                                    << "5!?";
        QTest::newRow("plus inside a word") << "a+b"
                                            << "a+b";
        QTest::newRow("variable ends at plus") << "@X+@X"
                                               << "55";
        QTest::newRow("name without @ is not read") << "'PLAIN' @PLAIN"
                                                    << "PLAIN@PLAIN";
        QTest::newRow("unknown variable") << "@NOBODY"
                                          << "@NOBODY";
        QTest::newRow("enclosing quote cuts") << "'it's'"
                                              << "its'";
        QTest::newRow("double quotes") << "\"a 'b'\""
                                       << "a 'b'";
        QTest::newRow("leading bracket") << "(abc def) ghi"
                                         << "abcdef";
        QTest::newRow("bracket term") << "x (a b)"
                                      << "xa b";
        QTest::newRow("unclosed quote") << "'abc"
                                        << "abc";
        QTest::newRow("commas separate") << "a,b,,c"
                                         << "abc";
        QTest::newRow("empty terms") << "'' \"\" x"
                                     << "x";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blanks only") << "   "
                                     << "";
        QTest::newRow("caret") << "'a^b'"
                               << "a\x02";
        QTest::newRow("two carets") << "'^^'"
                                    << "^";
        QTest::newRow("caret at end") << "'x^'"
                                      << "x^";
        QTest::newRow("caret nul") << "^@" << QString(QChar(0));
        QTest::newRow("uppercase") << "@uppercase @name"
                                   << "BLUE HARBOUR";
        QTest::newRow("uppercase expression") << "@UPPERCASE ('a' @X) z"
                                              << "A5z";
        QTest::newRow("lowercase") << "@LOWERCASE 'AbC'"
                                   << "abc";
        QTest::newRow("nested") << "@LOWERCASE '@UPPERCASE x'"
                                << "x";
        QTest::newRow("lowercase alone is a variable") << "@LOWERCASE"
                                                       << "lower var";
        QTest::newRow("uppercase alone") << "@UPPERCASE"
                                         << "@UPPERCASE";
        QTest::newRow("function hides variable")
            << "@DATE" << QLocale::system().toString(QDate(2026, 3, 4), QLocale::ShortFormat);
        QTest::newRow("more than 21 terms") << QString("a ").repeated(30) << QString("a").repeated(30);
        QTest::newRow("128 after carets")
            << "'" + QString("^A").repeated(128) + "'" << QString(QChar(1)).repeated(128);
    }

    void evaluates()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        ScriptEvaluator evaluator(vars, lastInput);
        evaluator.setClock([] { return QDateTime(QDate(2026, 3, 4), QTime(13, 5, 9)); });
        QCOMPARE(evaluator.evaluate(text), result);
    }

    void timeShowsSecondsWithoutZone()
    {
        ScriptEvaluator evaluator(vars, lastInput);
        evaluator.setClock([] { return QDateTime(QDate(2026, 3, 4), QTime(13, 5, 9), Qt::UTC); });
        const QString shown = evaluator.evaluate(QStringLiteral("@time"));
        QVERIFY2(
            shown.contains(QStringLiteral("05")) && shown.contains(QStringLiteral("09")), qPrintable(shown));
        QVERIFY2(!shown.contains(QStringLiteral("UTC")), qPrintable(shown));
    }

    void termOverLimitRaises_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quoted") << "'" + QString(129, u'a') + "'";
        QTest::newRow("unquoted after others") << "a " + QString(129, u'b');
        QTest::newRow("function argument") << "@UPPERCASE '" + QString(129, u'b') + "'";
    }

    void termOverLimitRaises()
    {
        QFETCH(QString, text);
        ScriptEvaluator evaluator(vars, lastInput);
        try {
            evaluator.evaluate(text);
            QFAIL("no error");
        } catch (const ScriptError &error) {
            QCOMPARE(error.number, 9908);
        }
    }

    void inputAsksAndRemembers()
    {
        ScriptEvaluator evaluator(vars, lastInput);
        QStringList asked;
        evaluator.setInputPrompt([&asked](const QString &caption, const QString &prompt, const QString &def) {
            asked = {caption, prompt, def};
            return QStringLiteral("typed");
        });
        QCOMPARE(evaluator.evaluate(QStringLiteral("'<' @INPUT 'Cap' '' 'Your name' Bob 'tail>'")),
            QStringLiteral("<typedtail>"));
        QCOMPARE(asked, (QStringList{"Cap", "Your name", "Bob"}));
        QCOMPARE(lastInput, QStringLiteral("typed"));
        QCOMPARE(evaluator.evaluate(QStringLiteral("'got ' @LastInput")), QStringLiteral("got typed"));

        QCOMPARE(evaluator.evaluate(QStringLiteral("@INPUT Title")), QStringLiteral("typed"));
        QCOMPARE(asked, (QStringList{"Title", "", ""}));

        ScriptEvaluator headless(vars, lastInput);
        QCOMPARE(headless.evaluate(QStringLiteral("@INPUT a b c")), QStringLiteral("c"));
        QCOMPARE(lastInput, QStringLiteral("c"));
    }
};

QTEST_GUILESS_MAIN(ScriptEvaluatorTest)
#include "script_evaluator.moc"
