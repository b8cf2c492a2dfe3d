#pragma once

#include "sessions/EntryEditors.h"

#include <QList>
#include <deque>
#include <functional>

// Answers the phonebook window's entry dialogs from a script: each answer
// changes the fields as a user would and says whether OK was pressed. The
// fields each dialog was opened with are kept; when the script runs out the
// dialog is cancelled.
class ScriptedEntryEditors : public EntryEditors {
public:
    std::deque<std::function<bool(SessionEditorFields &)>> sessionAnswers;
    std::deque<std::function<bool(FtpEditorFields &)>> ftpAnswers;
    QList<SessionEditorFields> sessionsShown;
    QList<FtpEditorFields> ftpShown;

    bool editSession(SessionEditorFields &fields) override
    {
        sessionsShown << fields;
        return answer(sessionAnswers, fields);
    }
    bool editFtp(FtpEditorFields &fields) override
    {
        ftpShown << fields;
        return answer(ftpAnswers, fields);
    }

private:
    template <typename Fields>
    static bool answer(std::deque<std::function<bool(Fields &)>> &answers, Fields &fields)
    {
        if (answers.empty())
            return false;
        const auto next = std::move(answers.front());
        answers.pop_front();
        return next(fields);
    }
};
