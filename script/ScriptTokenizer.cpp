#include "script/ScriptTokenizer.h"

#include "script/ScriptError.h"
#include "script/ScriptText.h"

#include <algorithm>

namespace {

bool isSeparator(QChar c)
{
    return c.unicode() <= 32 || c.unicode() > 127 || c == u',';
}

class LineReader {
public:
    explicit LineReader(const QString &line)
        : line_(line)
    { }

    // Stops on the last character even when it is a separator.
    void skipSeparators()
    {
        while (pos_ + 1 < line_.size() && isSeparator(line_[pos_]))
            ++pos_;
    }

    bool atComment() const { return pos_ < line_.size() && line_[pos_] == u';'; }

    QString word()
    {
        if (pos_ >= line_.size())
            return {};
        const QChar opening = line_[pos_];
        qsizetype end = 0;
        QString text;
        if (opening == u'\'' || opening == u'"' || opening == u'(') {
            const QChar closing = opening == u'(' ? QChar(u')') : opening;
            end = line_.indexOf(closing, pos_ + 1);
            if (end < 0)
                end = line_.size();
            text = line_.mid(pos_ + 1, end - pos_ - 1);
            pos_ = end + 1;
        } else {
            end = pos_;
            while (end < line_.size() && line_[end] != u' ' && line_[end] != u',')
                ++end;
            text = line_.mid(pos_, end - pos_);
            pos_ = end;
        }
        if (text.size() > ScriptText::maxTextLength)
            throw ScriptError(CommandTooLong);
        return text;
    }

    QString rest() const { return pos_ < line_.size() ? line_.mid(pos_) : QString(); }

private:
    const QString &line_;
    qsizetype pos_ = 0;
};

} // namespace

ScriptLineTokens tokenizeScriptLine(const QString &line)
{
    using namespace ScriptTables;
    if (line.size() > maxScriptLineLength)
        throw ScriptError(CommandTooLong);
    ScriptLineTokens tokens;
    LineReader reader(line);
    reader.skipSeparators();
    if (reader.atComment())
        return tokens;
    tokens.command = reader.word().toUpper();
    if (tokens.command.isEmpty()) {
        if (std::all_of(line.cbegin(), line.cend(), isSeparator))
            return tokens;
        throw ScriptError(NotACommand);
    }
    if (tokens.command.startsWith(u':')) {
        tokens.code = Label;
        return tokens;
    }
    tokens.code = commandCode(tokens.command);
    if (tokens.code == NoCommand)
        throw ScriptError(NotACommand);
    if (tokens.code == Display) {
        tokens.p1 = reader.rest();
        return tokens;
    }
    reader.skipSeparators();
    tokens.p1 = reader.word();
    reader.skipSeparators();
    if (tokens.code == Set && !setOptionTakesWord(setOption(tokens.p1.toUpper()))) {
        tokens.p2 = reader.rest();
        return tokens;
    }
    tokens.p2 = reader.word();
    reader.skipSeparators();
    tokens.p3 = reader.word();
    return tokens;
}
