#include "script/ScriptRecorder.h"

QString ScriptRecorder::promptOf(const QString &row)
{
    qsizetype end = row.size();
    while (end > 0 && row.at(end - 1) == QLatin1Char(' '))
        --end;
    const qsizetype start = qMax<qsizetype>(0, end - promptLength - 1);
    return row.mid(start, qMin<qsizetype>(promptLength, end - start));
}

namespace {

// One typed byte as script text: a caret as four (the text is read once
// when the script is parsed and once more when it runs), control characters
// as a caret and the character 64 above (DEL as the one 64 above it modulo
// 256), others as themselves. 0x1E has no spelling and goes as it is.
QString scriptSpelling(char byte)
{
    const auto code = uchar(byte);
    if (byte == '^')
        return QStringLiteral("^^^^");
    if (code < 0x20 && code != 0x1E)
        return QLatin1Char('^') + QChar(code + 64);
    if (code == 0x7F)
        return QLatin1Char('^') + QChar(0x7F + 64);
    return QChar(code);
}

} // namespace

// The script language has no way to write a single quote inside a text.
QString ScriptRecorder::scriptText(const QString &encoded)
{
    return QLatin1Char('\'') + encoded + QLatin1Char('\'');
}

void ScriptRecorder::typed(char character, const std::function<QString()> &cursorRow)
{
    if (!recording_)
        return;
    if (!promptCaptured_) {
        prompt_ = promptOf(cursorRow());
        promptCaptured_ = true;
    }
    if (character != '\r') {
        typed_ += character;
        return;
    }
    // Only what follows a quote can be waited for.
    QString prompt = prompt_.mid(prompt_.lastIndexOf(QLatin1Char('\'')) + 1);
    prompt.replace(QLatin1Char('^'), QStringLiteral("^^^^"));
    lines_ << QStringLiteral("Wait ") + scriptText(prompt) + QStringLiteral(" 300")
           << QStringLiteral("If Timeout End");
    // Control characters in caret notation, so the script sends what was
    // typed; a long line goes out in pieces the script language can hold.
    QString piece;
    for (const char c : std::as_const(typed_)) {
        const QString encoded = scriptSpelling(c);
        if (piece.size() + encoded.size() > sendTextLength) {
            lines_ << QStringLiteral("Send ") + scriptText(piece);
            piece.clear();
        }
        piece += encoded;
    }
    lines_ << QStringLiteral("Send ") + scriptText(piece + QStringLiteral("^M"));
    typed_.clear();
    promptCaptured_ = false;
}
