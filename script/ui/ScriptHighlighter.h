#pragma once

#include <QSyntaxHighlighter>

// Colours a script as the user writes it: command keywords, labels,
// quoted texts and comments.
class ScriptHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit ScriptHighlighter(QTextDocument *document);

protected:
    void highlightBlock(const QString &text) override;
};
