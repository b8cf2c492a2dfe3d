#include "script/TCustomScript.h"

#include "script/ScriptError.h"
#include "script/ScriptFileText.h"
#include "script/ScriptLineParser.h"
#include "script/ScriptTables.h"

#include <QFileInfo>

#include <algorithm>

namespace {

constexpr qsizetype initialRecordCapacity = 300;
constexpr qsizetype maxScriptLines = 65535;

} // namespace

TCustomScript::TCustomScript(QObject *parent)
    : QObject(parent)
{
    records_.reserve(initialRecordCapacity);
}

TCustomScript::~TCustomScript()
{
    if (commandsAssigned_)
        save();
}

void TCustomScript::setScriptFile(const QString &fileName)
{
    if (fileName.compare(scriptFile_, Qt::CaseInsensitive) == 0)
        return;
    if (commandsAssigned_)
        save();
    scriptFile_ = fileName;
    if (QFileInfo::exists(fileName))
        load();
}

void TCustomScript::setScriptCommands(const QStringList &lines)
{
    scriptCommands_ = lines;
    commandsAssigned_ = true;
}

void TCustomScript::load()
{
    scriptCommands_.clear();
    commandsAssigned_ = false;
    std::optional<QStringList> lines = ScriptFileText::read(scriptFile_);
    if (!lines)
        throw EScriptFileError();
    scriptCommands_ = std::move(*lines);
}

void TCustomScript::save() const
{
    if (!scriptFile_.isEmpty() && !scriptCommands_.isEmpty())
        ScriptFileText::write(scriptFile_, scriptCommands_);
}

void TCustomScript::fail(int number, int line)
{
    errDesc_ = scriptErrorText(number);
    errLineNum_ = std::uint16_t(line);
    throw EScriptBadStatement(line);
}

void TCustomScript::PrepareScript()
{
    if (scriptFile_.isEmpty())
        return;
    load();
    records_.clear();
    recordLines_.clear();
    if (scriptCommands_.size() > maxScriptLines)
        fail(CommandTooLong, 0);
    int line = 0;
    for (const QString &text : std::as_const(scriptCommands_)) {
        ++line;
        try {
            if (std::optional<TScriptNode> node = parseScriptLine(tokenizeScriptLine(text), vars_)) {
                records_.push_back(std::move(*node));
                recordLines_.push_back(line);
            }
        } catch (const ScriptError &error) {
            fail(error.number, line);
        }
    }
    for (const TScriptNode &jump : records_) {
        if (jump.Command != ScriptTables::If && jump.Command != ScriptTables::Goto)
            continue;
        const bool found = std::any_of(records_.cbegin(), records_.cend(), [&jump](const TScriptNode &node) {
            return node.Command == ScriptTables::Label && node.Data == jump.Data;
        });
        if (!found)
            fail(UndefinedLabel, 0);
    }
}
