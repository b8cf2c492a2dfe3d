#pragma once

#include "script/ScriptEvaluator.h"
#include "script/ScriptNode.h"
#include "script/ScriptVars.h"

#include <QObject>
#include <QStringList>

#include <cstdint>
#include <vector>

// The script engine: holds the script text, parses it into command records and keeps the
// variables for its whole life.
class TCustomScript : public QObject {
    Q_OBJECT
public:
    explicit TCustomScript(QObject *parent = nullptr);
    ~TCustomScript() override;

    QString ScriptFile() const { return scriptFile_; }
    // Saves an assigned ScriptCommands to the old file first, then loads the new file if it exists.
    void setScriptFile(const QString &fileName);
    QStringList ScriptCommands() const { return scriptCommands_; }
    void setScriptCommands(const QStringList &lines);

    // Loads ScriptFile and parses it. Raises EScriptBadStatement with ErrLineNum and ErrDesc set;
    // the records parsed before the error are kept. Raises EScriptFileError when the file cannot be read.
    void PrepareScript();

    const std::vector<TScriptNode> &records() const { return records_; }
    // The script line each record came from.
    int recordLine(qsizetype index) const { return recordLines_.at(std::size_t(index)); }
    Tvarlist &vars() { return vars_; }
    const Tvarlist &vars() const { return vars_; }

    std::uint16_t ErrLineNum() const { return errLineNum_; }
    QString ErrDesc() const { return errDesc_; }

    QString LastInput;
    QString Evaluate(const QString &text) const { return evaluator_.evaluate(text); }
    ScriptEvaluator &evaluator() { return evaluator_; }

private:
    void load();
    void save() const;
    [[noreturn]] void fail(int number, int line);

    QString scriptFile_;
    QStringList scriptCommands_;
    bool commandsAssigned_ = false;
    std::vector<TScriptNode> records_;
    std::vector<int> recordLines_;
    Tvarlist vars_;
    ScriptEvaluator evaluator_{vars_, LastInput};
    std::uint16_t errLineNum_ = 0;
    QString errDesc_;
};

// The script file could not be read.
struct EScriptFileError : std::exception {
    const char *what() const noexcept override { return "cannot read script file"; }
};
