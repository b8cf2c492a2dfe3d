#include "comms/CaretNotation.h"

namespace CaretNotation {

namespace {

// The control character named by the character after a caret, or -1.
int controlFor(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u'?')
        return 0x7F;
    if (u >= u'a' && u <= u'z')
        return u - u'a' + 1;
    if (u >= u'@' && u <= u'_' && u != u'^')
        return u - u'@';
    return -1;
}

} // namespace

QByteArray decode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'^' && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (next == u'^') {
                out.append('^');
                ++i;
                continue;
            }
            const int control = controlFor(next);
            if (control >= 0) {
                out.append(char(control));
                ++i;
                continue;
            }
        }
        if (c.unicode() <= 0xFF)
            out.append(char(c.unicode()));
        else
            out.append(QString(c).toUtf8());
    }
    return out;
}

QString encode(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '^') {
            out += u"^^";
        } else if (b == 0x7F) {
            out += u"^?";
        } else if (b < 0x20 && b != 0x1E) {
            out += u'^';
            out += QChar(char16_t(b + 0x40));
        } else {
            out += QChar(char16_t(b));
        }
    }
    return out;
}

QString decodeEveryCaret(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'^' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        out += next == u'^' ? next : QChar(char16_t((next.toUpper().unicode() - 64) & 0xFF));
    }
    return out;
}

} // namespace CaretNotation
