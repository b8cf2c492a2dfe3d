// Script text parsed line by line and every stored text evaluated: must not crash, and what is
// stored must keep the language's limits.
#include "script/ScriptError.h"
#include "script/ScriptEvaluator.h"
#include "script/ScriptFileText.h"
#include "script/ScriptLineParser.h"
#include "script/ScriptTables.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void evaluate(const ScriptEvaluator &evaluator, const QString &text)
{
    try {
        evaluator.evaluate(text);
    } catch (const ScriptError &error) {
        check(error.number == CommandTooLong);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    Tvarlist vars;
    QString lastInput;
    ScriptEvaluator evaluator(vars, lastInput);
    evaluator.setInputPrompt([](const QString &, const QString &, const QString &d) { return d; });
    for (const QString &line : ScriptFileText::splitLines(input)) {
        std::optional<TScriptNode> node;
        try {
            node = parseScriptLine(tokenizeScriptLine(line), vars);
        } catch (const ScriptError &error) {
            check(
                error.number >= NotACommand && error.number <= DataTooLong && error.number != UndefinedLabel);
            continue;
        }
        if (!node)
            continue;
        check(ScriptTables::commandName(node->Command).size() > 0);
        check(node->Data.size() <= 2 + 255 && node->Data2.size() <= 255 && node->Data3.size() <= 2 + 128);
        if (node->Command == ScriptTables::Wait)
            check(node->Data.size() <= 2 + 21);
        evaluate(evaluator, node->Data);
        evaluate(evaluator, node->Data2);
        evaluate(evaluator, node->Data3);
    }
    evaluate(evaluator, QString::fromLatin1(input.left(300)));
    return 0;
}
