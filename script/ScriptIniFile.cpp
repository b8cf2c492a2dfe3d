#include "script/ScriptIniFile.h"

#include "script/ScriptPaths.h"
#include "shell/files/LockedUpdate.h"

#include <QFile>
#include <QList>

namespace {

struct IniLine {
    QByteArray text; // without the line end
    QByteArray end; // "\n", "\r\n" or empty for a last line without one
};

QList<IniLine> splitLines(const QByteArray &contents)
{
    QList<IniLine> lines;
    qsizetype start = 0;
    while (start < contents.size()) {
        const qsizetype newline = contents.indexOf('\n', start);
        if (newline < 0) {
            lines.append({contents.mid(start), QByteArray()});
            break;
        }
        const bool crlf = newline > start && contents[newline - 1] == '\r';
        const qsizetype textEnd = crlf ? newline - 1 : newline;
        lines.append({contents.mid(start, textEnd - start),
            crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n")});
        start = newline + 1;
    }
    return lines;
}

// The name of a "[section]" line; nothing for other lines.
std::optional<QString> sectionName(const QByteArray &text)
{
    const QString line = QString::fromUtf8(text).trimmed();
    if (!line.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    return line.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

bool isKeyLine(const QByteArray &text, const QString &key)
{
    const qsizetype equals = text.indexOf('=');
    return equals >= 0
        && QString::fromUtf8(text.left(equals)).trimmed().compare(key, Qt::CaseInsensitive) == 0;
}

bool sameName(const std::optional<QString> &name, const QString &wanted)
{
    return name && name->compare(wanted.trimmed(), Qt::CaseInsensitive) == 0;
}

// Index of the first line of the section's body, or -1.
qsizetype sectionStart(const QList<IniLine> &lines, const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (sameName(sectionName(lines[i].text), section))
            return i + 1;
    }
    return -1;
}

QByteArray joined(const QList<IniLine> &lines)
{
    QByteArray out;
    for (const IniLine &line : lines)
        out += line.text + line.end;
    return out;
}

} // namespace

std::optional<QString> iniValue(const QByteArray &contents, const QString &section, const QString &key)
{
    const QList<IniLine> lines = splitLines(contents);
    const qsizetype start = sectionStart(lines, section);
    if (start < 0)
        return std::nullopt;
    for (qsizetype i = start; i < lines.size() && !sectionName(lines[i].text); ++i) {
        if (!isKeyLine(lines[i].text, key.trimmed()))
            continue;
        const QString value = QString::fromUtf8(lines[i].text.mid(lines[i].text.indexOf('=') + 1)).trimmed();
        const bool quoted = value.size() >= 2
            && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))
            && value.back() == value.front();
        return quoted ? value.mid(1, value.size() - 2) : value;
    }
    return std::nullopt;
}

QByteArray withIniValue(
    const QByteArray &contents, const QString &section, const QString &key, const QString &value)
{
    QList<IniLine> lines = splitLines(contents);
    const QByteArray lineEnd
        = lines.isEmpty() || lines.first().end.isEmpty() ? QByteArrayLiteral("\n") : lines.first().end;
    const QByteArray newKeyLine = key.trimmed().toUtf8() + '=' + value.toUtf8();
    const qsizetype start = sectionStart(lines, section);

    if (start < 0) {
        if (!lines.isEmpty() && lines.last().end.isEmpty())
            lines.last().end = lineEnd;
        if (!lines.isEmpty() && !lines.last().text.trimmed().isEmpty())
            lines.append({QByteArray(), lineEnd});
        lines.append({'[' + section.trimmed().toUtf8() + ']', lineEnd});
        lines.append({newKeyLine, lineEnd});
        return joined(lines);
    }

    qsizetype lastFilled = start - 1;
    qsizetype i = start;
    for (; i < lines.size() && !sectionName(lines[i].text); ++i) {
        IniLine &line = lines[i];
        if (isKeyLine(line.text, key.trimmed())) {
            qsizetype valueAt = line.text.indexOf('=') + 1;
            while (valueAt < line.text.size() && (line.text[valueAt] == ' ' || line.text[valueAt] == '\t'))
                ++valueAt;
            line.text = line.text.left(valueAt) + value.toUtf8();
            return joined(lines);
        }
        if (!line.text.trimmed().isEmpty())
            lastFilled = i;
    }
    if (lines[lastFilled].end.isEmpty())
        lines[lastFilled].end = lineEnd;
    lines.insert(lastFilled + 1, {newKeyLine, lineEnd});
    return joined(lines);
}

QString readIniValue(
    const QString &path, const QString &section, const QString &key, const QString &defaultValue)
{
    const ScriptPaths::Resolved file = ScriptPaths::resolve(path);
    QFile in(file.path);
    if (!file.exists || !in.open(QIODevice::ReadOnly))
        return defaultValue;
    return iniValue(in.readAll(), section, key).value_or(defaultValue);
}

bool writeIniValue(const QString &path, const QString &section, const QString &key, const QString &value)
{
    const auto hasLineBreak = [](const QString &text) {
        return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    };
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) || key.trimmed().isEmpty())
        return false;
    const ScriptPaths::Resolved file = ScriptPaths::resolve(path);
    if (!file.ambiguous.isEmpty())
        return false;
    bool unreadable = false;
    const LockedUpdate update = updateFileLocked(file.path, [&]() -> std::optional<QByteArray> {
        QFile in(file.path);
        if (!in.exists())
            return withIniValue(QByteArray(), section, key, value);
        // A file that cannot be read is left alone rather than replaced by one key.
        unreadable = !in.open(QIODevice::ReadOnly);
        if (unreadable)
            return std::nullopt;
        return withIniValue(in.readAll(), section, key, value);
    });
    return update.ok() && !unreadable;
}
