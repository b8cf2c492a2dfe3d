#include "sessions/store/IniDocument.h"

#include <QSet>
#include <QStringDecoder>

namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Case folding, quick for the plain ASCII names files are made of.
QString folded(const QString &name)
{
    QString result = name;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            return name.toCaseFolded();
        if (u >= 'A' && u <= 'Z')
            c = QChar(char16_t(u + ('a' - 'A')));
    }
    return result;
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
            doc.m_sections.append(Section{raw, *name, {}, {}, false});
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
    return const_cast<Section *>(std::as_const(*this).findSection(name));
}

// Books of hundreds of records are read record by record: names are looked
// up through hashes rather than by walking the file.
const IniDocument::Section *IniDocument::findSection(const QString &name) const
{
    if (!m_sectionsIndexed) {
        m_sectionIndex.clear();
        // Backwards, so the first section of a name is the one kept.
        for (qsizetype i = m_sections.size() - 1; i >= 0; --i)
            m_sectionIndex.insert(folded(m_sections[i].name), i);
        m_sectionsIndexed = true;
    }
    const auto found = m_sectionIndex.constFind(folded(name));
    return found == m_sectionIndex.constEnd() ? nullptr : &m_sections[*found];
}

qsizetype IniDocument::findKey(const Section &section, const QString &key)
{
    return findFoldedKey(section, folded(key));
}

qsizetype IniDocument::findFoldedKey(const Section &section, const QString &foldedKey)
{
    if (!section.keysIndexed) {
        section.keyLines.clear();
        // Backwards, so the first entry of a key is the one kept.
        for (qsizetype i = section.lines.size() - 1; i >= 0; --i) {
            if (section.lines[i].isEntry)
                section.keyLines.insert(folded(section.lines[i].key), i);
        }
        section.keysIndexed = true;
    }
    return section.keyLines.value(foldedKey, -1);
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
    QList<std::pair<QString, QString>> result;
    const Section *found = findSection(section);
    if (!found)
        return result;
    QSet<QString> seen;
    for (const Line &line : found->lines) {
        if (!line.isEntry)
            continue;
        const QString key = folded(line.key);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        result.append({line.key, line.value});
    }
    return result;
}

const IniDocument::Line *IniDocument::findLine(const QString &section, const QString &key) const
{
    const Section *found = findSection(section);
    const qsizetype at = found ? findKey(*found, key) : -1;
    return at < 0 ? nullptr : &found->lines[at];
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const Line *line = findLine(section, key);
    return line ? std::optional(line->value) : std::nullopt;
}

QList<std::optional<QString>> IniDocument::values(const QString &section, const QStringList &foldedKeys) const
{
    QList<std::optional<QString>> result(foldedKeys.size());
    const Section *found = findSection(section);
    if (!found)
        return result;
    for (qsizetype i = 0; i < foldedKeys.size(); ++i) {
        if (const qsizetype at = findFoldedKey(*found, foldedKeys[i]); at >= 0)
            result[i] = found->lines[at].value;
    }
    return result;
}

std::optional<QString> IniDocument::keyName(const QString &section, const QString &key) const
{
    const Line *line = findLine(section, key);
    return line ? std::optional(line->key) : std::nullopt;
}

void IniDocument::addSection(const QString &section)
{
    if (findSection(section))
        return;
    m_sections.append(Section{QLatin1Char('[') + section + QLatin1Char(']'), section, {}, {}, false});
    m_sectionsIndexed = false;
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
    found->keysIndexed = false;
}

void IniDocument::removeKey(const QString &section, const QString &key)
{
    Section *found = findSection(section);
    if (!found)
        return;
    found->lines.removeIf([&](const Line &line) { return line.isEntry && sameName(line.key, key); });
    found->keysIndexed = false;
}

void IniDocument::removeSection(const QString &section)
{
    m_sections.removeIf([&](const Section &s) { return sameName(s.name, section); });
    m_sectionsIndexed = false;
}
