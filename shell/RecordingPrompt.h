#pragma once

#include "shell/UserPrompt.h"

#include <QList>
#include <deque>

// A prompt service that answers from a script and keeps everything it was
// asked. When its script runs out it answers like a user who cancels:
// Cancel, No, no input, no file.
class RecordingPrompt : public UserPrompt {
public:
    enum class Kind { Warning, Information, Confirm, YesNo, Input, Files };
    struct Shown {
        Kind kind;
        QString text;
    };

    // Answers for confirm() and askYesNo(), in order.
    void answerChoice(bool okOrYes) { m_choices.push_back(okOrYes); }
    // An input box answer; no value answers Cancel.
    void answerInput(std::optional<QString> value)
    {
        m_inputs.push_back({value.has_value(), value.value_or(QString())});
    }
    void answerFiles(QStringList paths) { m_files.push_back(std::move(paths)); }

    const QList<Shown> &shown() const { return m_shown; }
    // The texts shown, in order (for input boxes the prompt, for file dialogs the caption).
    QStringList texts() const;
    void clear() { m_shown.clear(); }

    void warning(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    bool askYesNo(const QString &text) override;
    std::optional<QString> input(
        const QString &caption, const QString &prompt, const QString &value) override;
    QStringList chooseFiles(const FileRequest &request) override;

private:
    bool nextChoice();

    QList<Shown> m_shown;
    std::deque<bool> m_choices;
    struct InputAnswer {
        bool ok;
        QString text;
    };
    std::deque<InputAnswer> m_inputs;
    std::deque<QStringList> m_files;
};
