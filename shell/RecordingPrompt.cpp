#include "shell/RecordingPrompt.h"

QStringList RecordingPrompt::texts() const
{
    QStringList result;
    for (const Shown &item : m_shown)
        result << item.text;
    return result;
}

void RecordingPrompt::warning(const QString &text)
{
    m_shown.append({Kind::Warning, text});
}

void RecordingPrompt::information(const QString &text)
{
    m_shown.append({Kind::Information, text});
}

bool RecordingPrompt::nextChoice()
{
    if (m_choices.empty())
        return false;
    const bool answer = m_choices.front();
    m_choices.pop_front();
    return answer;
}

bool RecordingPrompt::confirm(const QString &text)
{
    m_shown.append({Kind::Confirm, text});
    return nextChoice();
}

bool RecordingPrompt::askYesNo(const QString &text)
{
    m_shown.append({Kind::YesNo, text});
    return nextChoice();
}

std::optional<QString> RecordingPrompt::input(const QString &, const QString &prompt, const QString &)
{
    m_shown.append({Kind::Input, prompt});
    if (m_inputs.empty())
        return std::nullopt;
    const InputAnswer answer = m_inputs.front();
    m_inputs.pop_front();
    if (!answer.ok)
        return std::nullopt;
    return answer.text;
}

QStringList RecordingPrompt::chooseFiles(const FileRequest &request)
{
    m_shown.append({Kind::Files, request.caption});
    if (m_files.empty())
        return {};
    QStringList answer = std::move(m_files.front());
    m_files.pop_front();
    return answer;
}
