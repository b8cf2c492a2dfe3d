#include "shell/settings/SettingsDocument.h"

namespace {

const QByteArray strType = QByteArrayLiteral("str");
const QByteArray intType = QByteArrayLiteral("int");
const QByteArray binType = QByteArrayLiteral("bin");

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<QByteArray> fromHex(QByteArrayView hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(char(high * 16 + low));
    }
    return bytes;
}

} // namespace

QByteArray SettingsDocument::escape(const QString &text, bool isName)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (u < 0x20 || u == 0x7f || (isName && (c == '=' || (i == 0 && (c == '#' || c == ' ')))))
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

std::optional<QString> SettingsDocument::unescape(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            if (i + 2 >= text.size())
                return std::nullopt;
            const auto byte = fromHex(text.sliced(i + 1, 2));
            if (!byte)
                return std::nullopt;
            out += *byte;
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return QString::fromUtf8(out);
}

SettingsDocument SettingsDocument::parse(const QByteArray &bytes)
{
    SettingsDocument doc;
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &raw : lines) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        Line line{raw, std::nullopt, {}, {}};
        const qsizetype eq = raw.indexOf('=');
        const qsizetype colon = eq < 0 ? -1 : raw.indexOf(':', eq + 1);
        if (eq > 0 && colon > eq && !raw.startsWith('#')) {
            line.name = unescape(QByteArrayView(raw).first(eq));
            line.type = raw.mid(eq + 1, colon - eq - 1);
            line.payload = raw.mid(colon + 1);
            if (line.name && line.name->isEmpty())
                line.name.reset();
        }
        doc.m_lines.append(std::move(line));
    }
    return doc;
}

QByteArray SettingsDocument::serialize() const
{
    QByteArray out;
    for (const Line &line : m_lines) {
        out += line.raw;
        out += '\n';
    }
    return out;
}

qsizetype SettingsDocument::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].name && m_lines[i].name->compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const SettingsDocument::Line *SettingsDocument::find(const QString &name) const
{
    const qsizetype i = indexOf(name);
    return i < 0 ? nullptr : &m_lines[i];
}

std::optional<SettingsDocument::Type> SettingsDocument::typeOf(const QString &name) const
{
    const Line *line = find(name);
    if (!line)
        return std::nullopt;
    if (line->type == strType && unescape(line->payload))
        return Type::String;
    bool ok = false;
    if (line->type == intType && (line->payload.toInt(&ok), ok))
        return Type::Integer;
    if (line->type == binType && fromHex(line->payload))
        return Type::Binary;
    return Type::Unknown;
}

std::optional<QString> SettingsDocument::string(const QString &name) const
{
    const Line *line = find(name);
    if (!line || line->type != strType)
        return std::nullopt;
    return unescape(line->payload);
}

std::optional<qint32> SettingsDocument::integer(const QString &name) const
{
    const Line *line = find(name);
    if (!line || line->type != intType)
        return std::nullopt;
    bool ok = false;
    const qint32 value = line->payload.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<QByteArray> SettingsDocument::binary(const QString &name) const
{
    const Line *line = find(name);
    if (!line || line->type != binType)
        return std::nullopt;
    return fromHex(line->payload);
}

void SettingsDocument::set(const QString &name, QByteArray type, QByteArray payload)
{
    qsizetype i = indexOf(name);
    if (i < 0) {
        m_lines.append(Line{{}, name, {}, {}});
        i = m_lines.size() - 1;
    }
    Line *line = &m_lines[i];
    line->type = std::move(type);
    line->payload = std::move(payload);
    line->raw = escape(*line->name, true) + '=' + line->type + ':' + line->payload;
}

void SettingsDocument::setString(const QString &name, const QString &value)
{
    set(name, strType, escape(value, false));
}

void SettingsDocument::setInteger(const QString &name, qint32 value)
{
    set(name, intType, QByteArray::number(value));
}

void SettingsDocument::setBinary(const QString &name, const QByteArray &value)
{
    set(name, binType, value.toHex());
}
