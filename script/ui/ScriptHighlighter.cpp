#include "script/ui/ScriptHighlighter.h"

#include "script/ScriptTables.h"

#include <QTextCharFormat>

namespace {

QTextCharFormat textFormat(const QColor &colour, bool bold = false, bool italic = false)
{
    QTextCharFormat result;
    result.setForeground(colour);
    if (bold)
        result.setFontWeight(QFont::Bold);
    result.setFontItalic(italic);
    return result;
}

// As the parser reads a line.
bool isSeparator(QChar c)
{
    return c.unicode() <= 32 || c.unicode() > 127 || c == QLatin1Char(',');
}

} // namespace

ScriptHighlighter::ScriptHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document)
{ }

void ScriptHighlighter::highlightBlock(const QString &text)
{
    static const QTextCharFormat keyword = textFormat(QColor(0, 0, 160), true);
    static const QTextCharFormat label = textFormat(QColor(128, 0, 128), true);
    static const QTextCharFormat quoted = textFormat(QColor(0, 120, 0));
    static const QTextCharFormat comment = textFormat(QColor(110, 110, 110), false, true);

    qsizetype start = 0;
    while (start < text.size() && isSeparator(text.at(start)))
        ++start;
    if (start >= text.size())
        return;
    if (text.at(start) == QLatin1Char(';')) {
        setFormat(int(start), int(text.size() - start), comment);
        return;
    }
    qsizetype end = start;
    while (end < text.size() && !isSeparator(text.at(end)))
        ++end;
    const QString word = text.mid(start, end - start);
    if (word.startsWith(QLatin1Char(':')))
        setFormat(int(start), int(end - start), label);
    else if (ScriptTables::commandCode(word.toUpper()) > ScriptTables::Label)
        setFormat(int(start), int(end - start), keyword);
    // Quoted texts, to the closing quote or the line's end.
    for (qsizetype at = end; at < text.size(); ++at) {
        const QChar quote = text.at(at);
        if (quote != QLatin1Char('\'') && quote != QLatin1Char('"'))
            continue;
        qsizetype close = text.indexOf(quote, at + 1);
        if (close < 0)
            close = text.size() - 1;
        setFormat(int(at), int(close - at + 1), quoted);
        at = close;
    }
}
