#include "sessions/store/IniDocument.h"

#include <QSet>
#include <QStringDecoder>

namespace {

bool sameName(const QString &a, const QString &b)
{
    // Case folding here is per UTF-16 unit: names of other lengths never match.
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

// "[name]" with anything after the last ']' ignored.
std::optional<QString> headerName(const QString &trimmed)
{
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.lastIndexOf(QLatin1Char(']'));
    if (close < 1)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

} // namespace

std::optional<IniDocument> IniDocument::parse(const QByteArray &bytes)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    IniDocument doc;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        // An 8-bit file is read as it is; it is written back as UTF-8, which
        // holds every character a user can type.
        text = QString::fromLatin1(bytes);
    }
    const qsizetype lf = bytes.indexOf('\n');
    if (lf > 0 && bytes[lf - 1] == '\r')
        doc.m_lineEnd = "\r\n";
    else if (lf < 0 && bytes.contains('\r'))
        doc.m_lineEnd = "\r";

    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    bool meaningfulOutside = false;
    for (const QString &raw : std::as_const(lines)) {
        const QString trimmed = raw.trimmed();
        if (const auto name = headerName(trimmed)) {
            doc.m_sections.append(Section{raw, *name, {}});
            continue;
        }
        Line line{raw, {}, {}, false};
        const qsizetype eq = raw.indexOf(QLatin1Char('='));
        if (eq >= 0 && !trimmed.startsWith(QLatin1Char(';'))) {
            line.key = raw.left(eq).trimmed();
            line.value = raw.mid(eq + 1).trimmed();
            line.isEntry = !line.key.isEmpty();
        }
        if (doc.m_sections.isEmpty()) {
            meaningfulOutside
                = meaningfulOutside || (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char(';')));
            doc.m_preamble.append(line);
        } else {
            doc.m_sections.last().lines.append(line);
        }
    }
    if (doc.m_sections.isEmpty() && meaningfulOutside)
        return std::nullopt;
    return doc;
}

QByteArray IniDocument::serialize() const
{
    QString text;
    const QString end = QString::fromLatin1(m_lineEnd);
    for (const Line &line : m_preamble)
        text += line.text + end;
    for (const Section &section : m_sections) {
        text += section.header + end;
        for (const Line &line : section.lines)
            text += line.text + end;
    }
    return text.toUtf8();
}

IniDocument::Section *IniDocument::findSection(const QString &name)
{
    // Writing a record looks its section up once per field. Sections are
    // only appended or removed (which forgets this), so the first of its
    // name stays the first.
    if (m_lastFound >= 0 && m_lastFound < m_sections.size() && sameName(m_sections[m_lastFound].name, name))
        return &m_sections[m_lastFound];
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        if (sameName(m_sections[i].name, name)) {
            m_lastFound = i;
            return &m_sections[i];
        }
    }
    return nullptr;
}

const IniDocument::Section *IniDocument::findSection(const QString &name) const
{
    return const_cast<IniDocument *>(this)->findSection(name);
}

qsizetype IniDocument::findKey(const Section &section, const QString &key)
{
    for (qsizetype i = 0; i < section.lines.size(); ++i) {
        if (section.lines[i].isEntry && sameName(section.lines[i].key, key))
            return i;
    }
    return -1;
}

bool IniDocument::hasSection(const QString &section) const
{
    return findSection(section) != nullptr;
}

QStringList IniDocument::keys(const QString &section) const
{
    QStringList result;
    for (const auto &[key, value] : entries(section))
        result << key;
    return result;
}

QList<std::pair<QString, QString>> IniDocument::entries(const QString &section) const
{
    const Section *found = findSection(section);
    return found ? sectionEntries(*found) : QList<std::pair<QString, QString>>();
}

QHash<QString, QList<std::pair<QString, QString>>> IniDocument::allEntries() const
{
    QHash<QString, QList<std::pair<QString, QString>>> result;
    for (const Section &section : m_sections) {
        const QString folded = section.name.toCaseFolded();
        if (result.contains(folded))
            continue;
        QList<std::pair<QString, QString>> &entries = result[folded];
        for (const Line &line : section.lines)
            if (line.isEntry)
                entries.append({line.key, line.value});
    }
    return result;
}

QList<std::pair<QString, QString>> IniDocument::sectionEntries(const Section &section)
{
    QList<std::pair<QString, QString>> result;
    QSet<QString> seen;
    for (const Line &line : section.lines) {
        if (!line.isEntry)
            continue;
        const QString folded = line.key.toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        result.append({line.key, line.value});
    }
    return result;
}

const IniDocument::Line *IniDocument::findLine(const QString &section, const QString &key) const
{
    const Section *found = findSection(section);
    if (!found)
        return nullptr;
    const qsizetype at = findKey(*found, key);
    return at < 0 ? nullptr : &found->lines[at];
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const Line *line = findLine(section, key);
    return line ? std::optional(line->value) : std::nullopt;
}

std::optional<QString> IniDocument::keySpelling(const QString &section, const QString &key) const
{
    const Line *line = findLine(section, key);
    return line ? std::optional(line->key) : std::nullopt;
}

void IniDocument::addSection(const QString &section)
{
    if (findSection(section))
        return;
    m_sections.append(Section{QLatin1Char('[') + section + QLatin1Char(']'), section, {}});
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    addSection(section);
    Section *found = findSection(section);
    if (const qsizetype existing = findKey(*found, key); existing >= 0) {
        Line &line = found->lines[existing];
        line.value = value;
        line.text = line.key + QLatin1Char('=') + value;
        return;
    }
    // After the section's last entry, so trailing blank lines stay between sections.
    qsizetype at = found->lines.size();
    while (at > 0 && found->lines[at - 1].text.trimmed().isEmpty())
        --at;
    found->lines.insert(at, Line{key + QLatin1Char('=') + value, key, value, true});
}

void IniDocument::removeKey(const QString &section, const QString &key)
{
    Section *found = findSection(section);
    if (!found)
        return;
    found->lines.removeIf([&](const Line &line) { return line.isEntry && sameName(line.key, key); });
}

void IniDocument::removeSection(const QString &section)
{
    m_lastFound = -1;
    m_sections.removeIf([&](const Section &s) { return sameName(s.name, section); });
}
