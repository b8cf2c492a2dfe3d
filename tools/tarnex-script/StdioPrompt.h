#pragma once

#include "shell/UserPrompt.h"

// Prompts on the terminal of the tool: messages to stderr, INPUT reads a line from stdin.
class StdioPrompt : public UserPrompt {
public:
    void warning(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    bool askYesNo(const QString &text) override;
    std::optional<QString> input(
        const QString &caption, const QString &prompt, const QString &value) override;
    QStringList chooseFiles(const FileRequest &request) override;
};
