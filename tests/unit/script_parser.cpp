// Script parsing: what each line stores, every error with its line, the limits, labels and
// variables, and the script file handling of the engine.

#include "script/ScriptError.h"
#include "script/ScriptTables.h"
#include "script/TCustomScript.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString record(const TScriptNode &n)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
        .arg(n.Command)
        .arg(n.Data, n.Data2, n.Data3)
        .arg(n.Option)
        .arg(n.Number)
        .arg(n.Condition);
}

struct Parsed {
    QStringList records;
    int error = 0; // 0 when the script parsed
    int errLine = 0;
    QString exceptionText;
};

class ScriptFixture {
public:
    ScriptFixture() { script.setScriptFile(dir.filePath(QStringLiteral("test.scr"))); }

    Parsed parse(const QByteArray &text)
    {
        QFile file(script.ScriptFile());
        file.open(QIODevice::WriteOnly);
        file.write(text);
        file.close();
        Parsed parsed;
        try {
            script.PrepareScript();
        } catch (const EScriptBadStatement &e) {
            parsed.exceptionText = e.message();
            parsed.errLine = script.ErrLineNum();
            for (int number = 9900; number < 9920 && parsed.error == 0; ++number) {
                if (scriptErrorText(number) == script.ErrDesc())
                    parsed.error = number;
            }
        }
        for (const TScriptNode &node : script.records())
            parsed.records << record(node);
        return parsed;
    }

    QTemporaryDir dir;
    TCustomScript script;
};

} // namespace

class ScriptParserTest : public QObject {
    Q_OBJECT
private slots:
    void storesRecords_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QStringList>("records");
        const auto r = [](const QString &text) { return QStringList{text}; };
        QTest::newRow("comment after blanks, empty line") << QByteArray("   ; a note\n\n") << QStringList{};
        QTest::newRow("line of separators") << QByteArray(" , ,\t\xc3\xa9 ") << QStringList{};
        QTest::newRow("semicolon after the first word") << QByteArray("SEND a;b") << r("5|'a;b'|||0|0|0");
        QTest::newRow("labels, any case")
            << QByteArray(":Loop\n:A\nGOTO loop\nGOTO a")
            << QStringList{"2|LOOP|||0|0|0", "2|A|||0|0|0", "10|LOOP|||0|0|0", "10|A|||0|0|0"};
        QTest::newRow("IF on a WAITMULTI text")
            << QByteArray("IF 3 Found\n:found") << QStringList{"8|FOUND|||0|0|3", "2|FOUND|||0|0|0"};
        QTest::newRow("IF keyword") << QByteArray("if notequal x\n:X")
                                    << QStringList{"8|X|||0|0|2001", "2|X|||0|0|0"};
        QTest::newRow("WAIT") << QByteArray("WAIT 'login:' 300") << r("6|'login:'|||0|300|0");
        QTest::newRow("WAIT of 21") << QByteArray("WAIT 123456789012345678901 1")
                                    << r("6|'123456789012345678901'|||0|1|0");
        QTest::newRow("WAIT keeps carets") << QByteArray("WAIT a^^b 5") << r("6|'a^^b'|||0|5|0");
        QTest::newRow("WAITMULTI upper-cased")
            << QByteArray("WAITMULTI ok|busy 20") << r("7|'OK|BUSY'|||0|20|0");
        QTest::newRow("WAITMULTI quoted")
            << QByteArray("WAITMULTI 'ok|no carrier' 20") << r("7|'OK|NO CARRIER'|||0|20|0");
        QTest::newRow("SEND caret once") << QByteArray("SEND 'a^^b'") << r("5|'a^b'|||0|0|0");
        QTest::newRow("SEND control") << QByteArray("SEND ^m^[") << r("5|'\r\x1b'|||0|0|0");
        QTest::newRow("SEND trailing caret") << QByteArray("SEND a^") << r("5|'a^'|||0|0|0");
        QTest::newRow("commas separate") << QByteArray("send,hello,world") << r("5|'hello'|||0|0|0");
        QTest::newRow("leading non-ASCII skipped") << QByteArray("SEND \xc3\xa9t\xc3\xa9 'x\xc3\xa9'")
                                                   << r(QString::fromUtf8("5|'t\xc3\xa9'|||0|0|0"));
        QTest::newRow("Latin-1 file")
            << QByteArray("SEND '\xe9t\xe9'") << r(QString::fromLatin1("5|'\xe9t\xe9'|||0|0|0"));
        QTest::newRow("brackets") << QByteArray("SEND (a b) c") << r("5|'a b'|||0|0|0");
        QTest::newRow("unclosed quote") << QByteArray("SEND \"open end") << r("5|'open end'|||0|0|0");
        QTest::newRow("DISPLAY rest of line")
            << QByteArray("DISPLAY 'Hello ' @NAME^^") << r("9| 'Hello ' @NAME^|||0|0|0");
        QTest::newRow("DISPLAY alone") << QByteArray("DISPLAY") << r("9||||0|0|0");
        QTest::newRow("SET variable")
            << QByteArray("SET @name 'Blue Harbour'") << r("13|@name|'Blue Harbour'||15|0|0");
        QTest::newRow("SET one character") << QByteArray("SET X 5") << r("13|X|5||15|0|0");
        QTest::newRow("SET RETRY") << QByteArray("set retry 3") << r("13||||1|3|0");
        QTest::newRow("SET DIRECTORY")
            << QByteArray("SET DIRECTORY /tmp/Down x") << r("13|/TMP/DOWN|||2|0|0");
        QTest::newRow("SET WRITERENAME") << QByteArray("SET WRITERENAME") << r("13||||6|0|0");
        QTest::newRow("SET ZSKIPNOFILE on") << QByteArray("SET ZSKIPNOFILE on") << r("13|T|||11|0|0");
        QTest::newRow("SET ABORTNOCARRIER false")
            << QByteArray("SET ABORTNOCARRIER False") << r("13|F|||12|0|0");
        QTest::newRow("SET RESULT2") << QByteArray("SET RESULT2 Done now") << r("13|Done|||14|0|0");
        QTest::newRow("SET CONFIGFILE rest")
            << QByteArray("SET CONFIGFILE my file.ini") << r("13|my file.ini|||16|0|0");
        QTest::newRow("INITPORT") << QByteArray("INITPORT com3 9600") << r("3|com3|9600||0|0|0");
        QTest::newRow("DONEPORT ignores the rest") << QByteArray("DONEPORT x y") << r("4||||0|0|0");
        QTest::newRow("SENDBREAK") << QByteArray("SENDBREAK 9") << r("11||||0|9|0");
        QTest::newRow("DELAY modulo 65536") << QByteArray("DELAY 70000") << r("12||||0|4464|0");
        QTest::newRow("DELAY negative") << QByteArray("DELAY -1") << r("12||||0|65535|0");
        QTest::newRow("UPLOAD") << QByteArray("UPLOAD zmodem") << r("14|'ZMODEM'|||0|0|0");
        QTest::newRow("DOWNLOAD") << QByteArray("DOWNLOAD Xmodem1KG") << r("15|'XMODEM1KG'|||0|0|0");
        QTest::newRow("CHDIR") << QByteArray("CHDIR /home/User") << r("16|'/HOME/USER'|||0|0|0");
        QTest::newRow("DELETE") << QByteArray("DELETE a.txt") << r("17|'A.TXT'|||0|0|0");
        QTest::newRow("SENDFILE") << QByteArray("SENDFILE 'my file'") << r("18|'MY FILE'|||0|0|0");
        QTest::newRow("PLAYSOUND") << QByteArray("PLAYSOUND ding.wav") << r("19|'DING.WAV'|||0|0|0");
        QTest::newRow("EXECFILE") << QByteArray("EXECFILE run.sh") << r("21|'RUN.SH'|||0|0|0");
        QTest::newRow("PRINT") << QByteArray("PRINT out.txt") << r("36|'OUT.TXT'|||0|0|0");
        QTest::newRow("OPENCLIENT") << QByteArray("OPENCLIENT Host.example 23")
                                    << r("22|'Host.example'|23||0|0|0");
        QTest::newRow("COMPARE") << QByteArray("COMPARE @A 'x y'") << r("33|'@A'|x y||0|0|0");
        QTest::newRow("PARITY") << QByteArray("PARITY space") << r("23|SPACE|||0|0|0");
        QTest::newRow("DATABITS") << QByteArray("DATABITS 7") << r("24|7|||0|0|0");
        QTest::newRow("STOPBITS") << QByteArray("STOPBITS 2") << r("25|2|||0|0|0");
        QTest::newRow("CAPTURE") << QByteArray("CAPTURE on") << r("26|'ON'|||0|0|0");
        QTest::newRow("CAPTUREFILE") << QByteArray("CAPTUREFILE cap.txt") << r("27|'CAP.TXT'|||0|0|0");
        QTest::newRow("keyword alone") << QByteArray("SHUTDOWN\nCLEARWINDOW\nCLEARBUFFER")
                                       << QStringList{"28||||0|0|0", "30||||0|0|0", "31||||0|0|0"};
        QTest::newRow("FILECOPY") << QByteArray("FILECOPY a b newer") << r("29|'a'|'b'|NEWER|0|0|0");
        QTest::newRow("INPUT") << QByteArray("INPUT Title 'Your name' Bob")
                               << r("32|'Title'|'Your name'|'Bob'|0|0|0");
        QTest::newRow("READCONFIG") << QByteArray("READCONFIG Sect Key 'a b'") << r("34|Sect|Key|a b|0|0|0");
        QTest::newRow("WRITECONFIG") << QByteArray("WRITECONFIG Sect Key @V") << r("35|Sect|Key|@V|0|0|0");
        QTest::newRow("CR, LF and CR LF")
            << QByteArray("SEND a\rSEND b\r\nSEND c\nSEND d")
            << QStringList{"5|'a'|||0|0|0", "5|'b'|||0|0|0", "5|'c'|||0|0|0", "5|'d'|||0|0|0"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }

    void storesRecords()
    {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, records);
        ScriptFixture fixture;
        const Parsed parsed = fixture.parse(script);
        QCOMPARE(parsed.error, 0);
        QCOMPARE(parsed.records, records);
    }

    void waitMultiHoldsFortyTexts()
    {
        QStringList texts;
        for (int i = 0; i < 41; ++i)
            texts << QString::number(i % 10);
        ScriptFixture fixture;
        QCOMPARE(fixture.parse("WAITMULTI " + texts.mid(0, 40).join(u'|').toLatin1() + " 9").error, 0);
        QCOMPARE(fixture.parse("WAITMULTI " + texts.join(u'|').toLatin1() + " 9").error, 9906);
    }

    void storesTimeOfDay()
    {
        ScriptFixture fixture;
        QCOMPARE(fixture.parse("WAITFORTIME 13:30\nWAITFORTIME 6:00:36").error, 0);
        QCOMPARE(fixture.script.records().at(0).TimeOfDay, 13.5 / 24);
        QCOMPARE(fixture.script.records().at(1).TimeOfDay, (6 * 3600 + 36) / 86400.0);
    }

    void reportsErrors_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("line");
        QTest::newRow("unknown command") << QByteArray("SEND a\n\nFOO x") << 9901 << 3;
        QTest::newRow("tab after command") << QByteArray("SEND\tx") << 9901 << 1;
        QTest::newRow("empty word then text") << QByteArray("'' SEND") << 9901 << 1;
        QTest::newRow("INITPORT COM0") << QByteArray("INITPORT COM0") << 9902 << 1;
        QTest::newRow("INITPORT COM256") << QByteArray("INITPORT COM256") << 9902 << 1;
        QTest::newRow("INITPORT PORT1") << QByteArray("INITPORT PORT1") << 9902 << 1;
        QTest::newRow("INITPORT missing") << QByteArray("INITPORT") << 9902 << 1;
        QTest::newRow("WAIT 22 characters") << QByteArray("WAIT 1234567890123456789012 5") << 9913 << 1;
        QTest::newRow("WAIT 22 before carets") << QByteArray("WAIT ^M^M^M^M^M^M^M^M^M^M^M 5") << 9913 << 1;
        QTest::newRow("WAIT no ticks") << QByteArray("WAIT ok") << 9903 << 1;
        QTest::newRow("WAIT bad ticks") << QByteArray("WAIT ok 1s") << 9903 << 1;
        QTest::newRow("WAITMULTI no ticks") << QByteArray("WAITMULTI a|b") << 9903 << 1;
        QTest::newRow("WAITMULTI unquoted blank") << QByteArray("WAITMULTI ok|no carrier 20") << 9903 << 1;
        QTest::newRow("IF 0") << QByteArray("IF 0 Found\n:Found") << 9902 << 1;
        QTest::newRow("IF wrapping to 0") << QByteArray("IF 65536 Found\n:Found") << 9902 << 1;
        QTest::newRow("IF unknown word") << QByteArray("IF maybe Found\n:Found") << 9902 << 1;
        QTest::newRow("GOTO nowhere") << QByteArray("GOTO nowhere\nSEND x") << 9904 << 0;
        QTest::newRow("IF to nowhere") << QByteArray("IF SUCCESS nowhere") << 9904 << 0;
        QTest::newRow("SENDBREAK") << QByteArray("SENDBREAK x") << 9903 << 1;
        QTest::newRow("DELAY missing") << QByteArray("DELAY") << 9903 << 1;
        QTest::newRow("SET RETRY") << QByteArray("SET RETRY many") << 9903 << 1;
        QTest::newRow("SET ZSKIPNOFILE") << QByteArray("SET ZSKIPNOFILE yes") << 9903 << 1;
        QTest::newRow("UPLOAD unknown") << QByteArray("UPLOAD bplus") << 9903 << 1;
        QTest::newRow("DOWNLOAD missing") << QByteArray("DOWNLOAD") << 9903 << 1;
        QTest::newRow("WAITFORTIME") << QByteArray("WAITFORTIME noon") << 9903 << 1;
        QTest::newRow("EXECFILE") << QByteArray("EXECFILE") << 9902 << 1;
        QTest::newRow("CAPTURE") << QByteArray("CAPTURE") << 9902 << 1;
        QTest::newRow("CAPTUREFILE") << QByteArray("CAPTUREFILE ,") << 9902 << 1;
        QTest::newRow("PARITY high") << QByteArray("PARITY high") << 9910 << 1;
        QTest::newRow("DATABITS 9") << QByteArray("DATABITS 9") << 9911 << 1;
        QTest::newRow("DATABITS word") << QByteArray("DATABITS eight") << 9911 << 1;
        QTest::newRow("STOPBITS 1.5") << QByteArray("STOPBITS 1.5") << 9912 << 1;
        QTest::newRow("word of 129") << QByteArray("SEND " + QByteArray(129, 'a')) << 9908 << 1;
        QTest::newRow("DISPLAY over 128") << QByteArray("DISPLAY " + QByteArray(129, 'a')) << 9908 << 1;
        QTest::newRow("line over 255") << QByteArray("DONEPORT" + QByteArray(248, ' ')) << 9908 << 1;
    }

    void reportsErrors()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, error);
        QFETCH(int, line);
        ScriptFixture fixture;
        const Parsed parsed = fixture.parse(script);
        QCOMPARE(parsed.error, error);
        QCOMPARE(parsed.errLine, line);
        QCOMPARE(parsed.exceptionText, QStringLiteral("Bad statement at line: %1").arg(line));
    }

    void keepsRecordsBeforeTheError()
    {
        ScriptFixture fixture;
        const Parsed parsed = fixture.parse("SEND a\n:x\nBOGUS\nSEND b");
        QCOMPARE(parsed.records, (QStringList{"5|'a'|||0|0|0", "2|X|||0|0|0"}));
        QCOMPARE(fixture.script.recordLine(1), 2);
    }

    void limitsLineLengthAndLineCount()
    {
        ScriptFixture fixture;
        QCOMPARE(fixture.parse("DONEPORT" + QByteArray(247, ' ')).error, 0);
        QByteArray many;
        for (int i = 0; i < 65535; ++i)
            many += ";\n";
        QCOMPARE(fixture.parse(many).error, 0);
        const Parsed tooMany = fixture.parse(many + "SEND x\n");
        QCOMPARE(tooMany.error, 9908);
        QCOMPARE(tooMany.errLine, 0);
        QVERIFY(tooMany.records.isEmpty());
    }

    void errorTexts_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("9901") << 9901 << "Not a valid script command";
        QTest::newRow("9902") << 9902 << "Bad format for first parameter\ror first parameter missing";
        QTest::newRow("9903") << 9903 << "Bad format for second parameter\ror second parameter missing";
        QTest::newRow("9904") << 9904 << "Label is referenced but never defined";
        QTest::newRow("9905") << 9905 << "Bad option in SET command";
        QTest::newRow("9906") << 9906 << "Too many strings in WaitMulti command";
        QTest::newRow("9907") << 9907 << "DOS error 9907 while processing script";
        QTest::newRow("9908") << 9908 << "Command string too long";
        QTest::newRow("9909") << 9909 << "Winsock port number bad";
        QTest::newRow("9910") << 9910 << "Bad parity value";
        QTest::newRow("9911") << 9911 << "Bad Data bits value";
        QTest::newRow("9912") << 9912 << "Bad stop bits value";
        QTest::newRow("9913") << 9913 << "Data too long";
        QTest::newRow("2") << 2 << "DOS error 2 while processing script";
    }

    void errorTexts()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(scriptErrorText(number), text);
    }

    void variablesOutliveParses()
    {
        ScriptFixture fixture;
        QCOMPARE(fixture.parse("SET @name 'a'\nSET @NAME b\nSET plain c").error, 0);
        QCOMPARE(fixture.script.vars().count(), 2);
        QCOMPARE(fixture.script.vars().at(0).Name, QStringLiteral("@NAME"));
        QCOMPARE(fixture.script.vars().at(1).Name, QStringLiteral("PLAIN"));
        fixture.script.vars().find(QStringLiteral("@name"))->Value = QStringLiteral("kept");
        QCOMPARE(fixture.parse("SEND x").error, 0);
        QCOMPARE(fixture.script.vars().count(), 2);
        QCOMPARE(fixture.script.Evaluate(QStringLiteral("'@NAME'")), QStringLiteral("kept"));
    }

    void scriptFileProperty()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("First.scr"));
        const QString second = dir.filePath(QStringLiteral("second.scr"));
        QFile file(second);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("SEND b\r\n");
        file.close();
        {
            TCustomScript script;
            script.PrepareScript(); // no file: nothing to do
            script.setScriptFile(first);
            script.setScriptCommands({QStringLiteral("SEND a")});
            script.setScriptFile(first.toUpper().replace(dir.path().toUpper(), dir.path()));
            QVERIFY(!QFile::exists(first));
            script.setScriptFile(second);
            QCOMPARE(script.ScriptCommands(), QStringList{QStringLiteral("SEND b")});
            script.setScriptCommands({QStringLiteral("SEND c")});
        }
        QFile saved(first);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("SEND a\n"));
        QFile resaved(second);
        QVERIFY(resaved.open(QIODevice::ReadOnly));
        QCOMPARE(resaved.readAll(), QByteArray("SEND c\n"));
    }
};

QTEST_GUILESS_MAIN(ScriptParserTest)
#include "script_parser.moc"
