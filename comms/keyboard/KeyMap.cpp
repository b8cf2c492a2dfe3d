#include "comms/keyboard/KeyMap.h"

#include "comms/CaretNotation.h"
#include "comms/keyboard/KeyNames.h"
#include "shell/files/AtomicWrite.h"

#include <QFile>
#include <algorithm>

int keyModifierColumn(Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    if (alt && !ctrl)
        return -1;
    if (ctrl && alt)
        return int(shift ? KeyModifiers::CtrlAltShift : KeyModifiers::CtrlAlt);
    if (ctrl)
        return int(shift ? KeyModifiers::CtrlShift : KeyModifiers::Ctrl);
    return int(shift ? KeyModifiers::Shift : KeyModifiers::Plain);
}

QString keyModifierLabel(int column)
{
    static const char *const labels[keyModifierCount]
        = {"Plain", "Ctrl", "Shift", "Ctrl+Shift", "Ctrl+Alt", "Ctrl+Alt+Shift"};
    return column >= 0 && column < keyModifierCount ? QString::fromLatin1(labels[column]) : QString();
}

namespace {

const QString appSuffix = QStringLiteral(".App");

// Parses the quoted fields after '='; returns an error text or an empty string.
QString parseFields(QStringView text, KeySequences *out)
{
    int column = 0;
    qsizetype i = 0;
    for (;;) {
        while (i < text.size() && text[i].isSpace())
            ++i;
        if (i == text.size())
            return {};
        if (column == keyModifierCount)
            return QStringLiteral("more than %1 sequences").arg(keyModifierCount);
        if (text[i] != u'"')
            return QStringLiteral("sequence %1 does not start with a double quote").arg(column + 1);
        QString field;
        bool closed = false;
        for (++i; i < text.size(); ++i) {
            if (text[i] == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                    continue;
                }
                closed = true;
                ++i;
                break;
            }
            field += text[i];
        }
        if (!closed)
            return QStringLiteral("sequence %1 has no closing double quote").arg(column + 1);
        if (i < text.size() && !text[i].isSpace())
            return QStringLiteral("text after sequence %1").arg(column + 1);
        (*out)[column++] = field.isEmpty() ? QByteArray() : CaretNotation::decode(field);
    }
}

bool validKeyName(const QString &key)
{
    QStringView base = key;
    if (key.endsWith(appSuffix, Qt::CaseInsensitive))
        base = base.chopped(appSuffix.size());
    return KeyNames::fromName(base) != nullptr;
}

} // namespace

void KeyMap::setText(const QString &text, QStringList *warnings)
{
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(u'\r', u'\n');
    lines_ = body.split(u'\n');
    if (!lines_.isEmpty() && lines_.last().isEmpty())
        lines_.removeLast();
    reindex(warnings);
}

QString KeyMap::text() const
{
    QString out = lines_.join(u'\n');
    if (!lines_.isEmpty())
        out += u'\n';
    return out;
}

bool KeyMap::load(const QString &path, QString *error, QStringList *warnings)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read key map %1: %2").arg(path, file.errorString());
        return false;
    }
    setText(QString::fromUtf8(file.readAll()), warnings);
    return true;
}

bool KeyMap::save(const QString &path, QString *error) const
{
    const QString failure = writeFileAtomically(path, text().toUtf8());
    if (failure.isEmpty())
        return true;
    *error = QStringLiteral("Cannot write key map %1: %2").arg(path, failure);
    return false;
}

void KeyMap::reindex(QStringList *warnings)
{
    sections_.clear();
    auto warn = [&](int line, const QString &what) {
        if (warnings)
            warnings->append(QStringLiteral("line %1: %2").arg(line + 1).arg(what));
    };
    for (int n = 0; n < lines_.size(); ++n) {
        const QString line = lines_[n].trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            const QString name = line.endsWith(u']') ? line.mid(1, line.size() - 2).trimmed() : QString();
            if (name.isEmpty()) {
                warn(n, QStringLiteral("malformed section header"));
                continue;
            }
            if (sectionFor(name))
                warn(n, QStringLiteral("section [%1] appears twice; the later keys win").arg(name));
            sections_.append(Section{name, n, n, {}, {}});
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) {
            warn(n, QStringLiteral("expected key = sequences"));
            continue;
        }
        if (sections_.isEmpty()) {
            warn(n, QStringLiteral("key outside any section"));
            continue;
        }
        const QString key = line.left(eq).trimmed();
        if (!validKeyName(key)) {
            warn(n, QStringLiteral("unknown key name \"%1\"").arg(key));
            continue;
        }
        KeySequences sequences;
        const QString problem = parseFields(QStringView(line).mid(eq + 1), &sequences);
        if (!problem.isEmpty()) {
            warn(n, problem);
            continue;
        }
        Section &section = sections_.last();
        const QString lower = key.toLower();
        if (section.lines.contains(lower))
            warn(n,
                QStringLiteral("key %1 appears twice in [%2]; the later line wins").arg(key, section.name));
        section.keys.insert(lower, sequences);
        section.lines.insert(lower, n);
        section.lastLine = n;
    }
}

const KeyMap::Section *KeyMap::sectionFor(const QString &name) const
{
    // A repeated section: the later one is the one in force.
    for (auto it = sections_.crbegin(); it != sections_.crend(); ++it) {
        if (it->name.compare(name, Qt::CaseInsensitive) == 0)
            return &*it;
    }
    return nullptr;
}

QStringList KeyMap::sections() const
{
    QStringList names;
    for (const Section &section : sections_) {
        if (!names.contains(section.name, Qt::CaseInsensitive))
            names.append(section.name);
    }
    return names;
}

bool KeyMap::hasSection(const QString &section) const
{
    return sectionFor(section) != nullptr;
}

const KeySequences *KeyMap::find(const QString &section, const QString &key) const
{
    const QString lower = key.toLower();
    // Keys of a repeated section accumulate, later lines winning.
    const KeySequences *found = nullptr;
    for (const Section &s : sections_) {
        if (s.name.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        auto it = s.keys.constFind(lower);
        if (it != s.keys.constEnd())
            found = &*it;
    }
    return found;
}

void KeyMap::set(const QString &section, const QString &key, const KeySequences &sequences)
{
    const bool remove
        = std::all_of(sequences.begin(), sequences.end(), [](const QByteArray &s) { return s.isNull(); });
    const QString lower = key.toLower();
    // The line in force is the last one for the key.
    int existing = -1;
    const Section *target = nullptr;
    for (const Section &s : sections_) {
        if (s.name.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        target = &s;
        if (s.lines.contains(lower))
            existing = s.lines.value(lower);
    }
    if (existing >= 0) {
        if (remove)
            lines_.removeAt(existing);
        else
            lines_[existing] = formatLine(key, sequences);
    } else if (!remove) {
        if (target) {
            lines_.insert(target->lastLine + 1, formatLine(key, sequences));
        } else {
            if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty())
                lines_.append(QString());
            lines_.append(u'[' + section + u']');
            lines_.append(formatLine(key, sequences));
        }
    }
    reindex(nullptr);
}

QString KeyMap::formatLine(const QString &key, const KeySequences &sequences)
{
    int used = keyModifierCount;
    while (used > 0 && sequences[used - 1].isNull())
        --used;
    QString line = key.leftJustified(13) + QStringLiteral(" =");
    for (int i = 0; i < used; ++i) {
        QString field = CaretNotation::encode(sequences[i]);
        field.replace(u'"', QStringLiteral("\"\""));
        line += QStringLiteral(" \"") + field + u'"';
    }
    return line;
}
