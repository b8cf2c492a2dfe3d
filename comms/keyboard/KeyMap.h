#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>

// The modifier combinations a key map gives a sequence for, in file column order.
enum class KeyModifiers { Plain, Ctrl, Shift, CtrlShift, CtrlAlt, CtrlAltShift };
inline constexpr int keyModifierCount = 6;

// The column for a key event's modifiers, or -1 when the combination has none (Alt alone, Alt+Shift).
int keyModifierColumn(Qt::KeyboardModifiers modifiers);
QString keyModifierLabel(int column);

// A key's sequences per modifier column; a null entry means the key is not mapped for it.
using KeySequences = std::array<QByteArray, keyModifierCount>;

// The key map file: one section per emulation name, one line per key:
//
//   [VT100N]
//   Up     = "^[[A" "" "" "" "" ""
//   Up.App = "^[OA"
//
// Fields are double-quoted caret notation ("" inside quotes is a quote) in the order plain, Ctrl,
// Shift, Ctrl+Shift, Ctrl+Alt, Ctrl+Alt+Shift; missing trailing fields are unmapped. A key name with
// ".App" is the sequence sent while the host has put the cursor keys or the keypad in application
// mode. Names of sections and keys are matched without case; ';' starts a comment line.
//
// The text is kept line for line, so editing a key rewrites only that key's line and comments,
// unknown keys and malformed lines survive a save.
class KeyMap {
public:
    // Parses text; problems are described in warnings (with line numbers) and those lines ignored.
    void setText(const QString &text, QStringList *warnings = nullptr);
    QString text() const;

    // Reads the file at path; on failure returns false with a message in error.
    bool load(const QString &path, QString *error, QStringList *warnings = nullptr);
    // Replaces the file atomically.
    bool save(const QString &path, QString *error) const;

    QStringList sections() const;
    bool hasSection(const QString &section) const;
    // Sequences of key (e.g. "F1" or "Up.App") in section, or nullptr when the key has no line.
    const KeySequences *find(const QString &section, const QString &key) const;
    // Writes key's line in section (the section is added when missing); all-null sequences remove it.
    void set(const QString &section, const QString &key, const KeySequences &sequences);

    static QString formatLine(const QString &key, const KeySequences &sequences);

private:
    struct Section {
        QString name;
        int headerLine = -1;
        int lastLine = -1; // last line that belongs to the section
        QHash<QString, KeySequences> keys; // by lower-case key name
        QHash<QString, int> lines; // line index by lower-case key name
    };
    void reindex(QStringList *warnings);
    const Section *sectionFor(const QString &name) const;

    QStringList lines_;
    QList<Section> sections_;
};
