#include "StdioPrompt.h"

#include <cstdio>
#include <string>

void StdioPrompt::warning(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

void StdioPrompt::information(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

bool StdioPrompt::confirm(const QString &)
{
    return false;
}

bool StdioPrompt::askYesNo(const QString &)
{
    return false;
}

// The script waits for the line, as it waits for the user at an input box.
std::optional<QString> StdioPrompt::input(const QString &, const QString &prompt, const QString &value)
{
    if (!prompt.isEmpty())
        std::fprintf(stderr, "%s ", qPrintable(prompt));
    std::string line;
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n')
        line.push_back(char(c));
    if (c == EOF && line.empty())
        return value;
    return QString::fromLocal8Bit(line.data(), qsizetype(line.size()));
}

QStringList StdioPrompt::chooseFiles(const FileRequest &)
{
    return {};
}
