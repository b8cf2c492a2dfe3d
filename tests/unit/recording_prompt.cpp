#include <QTest>

#include "shell/RecordingPrompt.h"

// Other subsystems' tests script their answers through this prompt, so it has
// to answer in order and fall back to cancelling.
class RecordingPromptTest : public QObject {
    Q_OBJECT
private slots:
    void answersFromTheScriptThenCancels()
    {
        RecordingPrompt prompt;
        prompt.answerChoice(true);
        prompt.answerChoice(false);
        prompt.answerInput(QStringLiteral("typed"));
        prompt.answerInput(std::nullopt);
        prompt.answerFiles({QStringLiteral("/a"), QStringLiteral("/b")});

        prompt.warning(QStringLiteral("w"));
        prompt.information(QStringLiteral("i"));
        QCOMPARE(prompt.confirm(QStringLiteral("c1")), true);
        QCOMPARE(prompt.askYesNo(QStringLiteral("y1")), false);
        QCOMPARE(prompt.askYesNo(QStringLiteral("y2")), false); // script used up
        QCOMPARE(prompt.input(QStringLiteral("Cap"), QStringLiteral("p1"), QString()), QString("typed"));
        QCOMPARE(
            prompt.input(QStringLiteral("Cap"), QStringLiteral("p2"), QStringLiteral("v")), std::nullopt);
        QCOMPARE(prompt.input(QStringLiteral("Cap"), QStringLiteral("p3"), QString()), std::nullopt);
        QCOMPARE(prompt.chooseFiles({FileRequest::Mode::OpenMany, QStringLiteral("f1"), {}, {}}),
            QStringList({"/a", "/b"}));
        QCOMPARE(prompt.chooseFiles({FileRequest::Mode::Save, QStringLiteral("f2"), {}, {}}), QStringList());

        QCOMPARE(prompt.texts(), QStringList({"w", "i", "c1", "y1", "y2", "p1", "p2", "p3", "f1", "f2"}));
        using K = RecordingPrompt::Kind;
        const QList<K> kinds{K::Warning, K::Information, K::Confirm, K::YesNo, K::YesNo, K::Input, K::Input,
            K::Input, K::Files, K::Files};
        for (qsizetype i = 0; i < kinds.size(); ++i)
            QCOMPARE(prompt.shown().at(i).kind, kinds.at(i));
    }
};

QTEST_GUILESS_MAIN(RecordingPromptTest)
#include "recording_prompt.moc"
