#include "script/ScriptEvaluator.h"

#include "script/ScriptText.h"

#include <QLocale>

namespace {

// Reads the terms of an expression one by one, caret-converted.
class TermReader {
public:
    explicit TermReader(QStringView text)
        : text_(text)
    { }

    bool next(QString &term)
    {
        skipBlanks();
        if (pos_ >= text_.size())
            return false;
        term = ScriptText::caretConverted(raw());
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == u'+')
            ++pos_;
        return true;
    }

private:
    void skipBlanks()
    {
        while (pos_ < text_.size() && text_[pos_] == u' ')
            ++pos_;
    }

    QStringView raw()
    {
        const QChar first = text_[pos_];
        if (first == u'\'' || first == u'"' || first == u'(')
            return enclosed(first == u'(' ? QChar(u')') : first);
        const qsizetype start = pos_;
        const bool variable = first == u'@';
        while (pos_ < text_.size()) {
            const QChar c = text_[pos_];
            if (c == u' ' || (variable ? c == u'+' : c == u','))
                break;
            ++pos_;
        }
        const QStringView term = text_.mid(start, pos_ - start);
        // A comma separates terms: step over it, or the next term would start (and end) on it.
        if (!variable && pos_ < text_.size() && text_[pos_] == u',')
            ++pos_;
        return term;
    }

    QStringView enclosed(QChar closing)
    {
        const qsizetype start = pos_ + 1;
        qsizetype end = start;
        while (end < text_.size() && text_[end] != closing)
            ++end;
        pos_ = end < text_.size() ? end + 1 : end;
        return text_.mid(start, end - start);
    }

    QStringView text_;
    qsizetype pos_ = 0;
};

QStringView withoutLeadingBracket(QStringView text)
{
    if (!text.startsWith(u'('))
        return text;
    const qsizetype close = text.indexOf(u')');
    return close < 0 ? text.mid(1) : text.mid(1, close - 1);
}

// The system's long time format without the time zone.
QString timeFormat()
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

} // namespace

ScriptEvaluator::ScriptEvaluator(const Tvarlist &vars, QString &lastInput)
    : vars_(vars)
    , lastInput_(lastInput)
    , clock_([] { return QDateTime::currentDateTime(); })
{ }

QString ScriptEvaluator::evaluate(const QString &text) const
{
    TermReader reader(withoutLeadingBracket(text));
    QString result;
    QString term;
    while (reader.next(term)) {
        if (!term.startsWith(u'@')) {
            result += term;
            continue;
        }
        const QString name = term.mid(1).toUpper();
        if (name == QLatin1String("DATE")) {
            result += QLocale::system().toString(clock_().date(), QLocale::ShortFormat);
        } else if (name == QLatin1String("TIME")) {
            result += clock_().time().toString(timeFormat());
        } else if (name == QLatin1String("LASTINPUT")) {
            result += lastInput_;
        } else if (name == QLatin1String("INPUT")) {
            QStringList texts;
            QString part;
            while (texts.size() < 3 && reader.next(part)) {
                if (!part.isEmpty())
                    texts << part;
            }
            texts.resize(3);
            lastInput_ = prompt_ ? prompt_(texts.at(0), texts.at(1), texts.at(2)) : texts.at(2);
            result += lastInput_;
        } else if ((name == QLatin1String("UPPERCASE") || name == QLatin1String("LOWERCASE"))
            && reader.next(term)) {
            const QString value = evaluate(term);
            result += name == QLatin1String("UPPERCASE") ? value.toUpper() : value.toLower();
        } else if (const TScriptVar *var = vars_.find(term)) {
            result += var->Value;
        } else {
            result += term;
        }
    }
    return result;
}
