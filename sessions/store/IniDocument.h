#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A sectioned "key=value" text file held in memory so that it can be changed
// and written back with everything else in it kept: comments, blank lines,
// unknown sections and keys and the line-end style. A file that is not
// UTF-8 is read as Latin-1 and written back as UTF-8.
// Section and key names match without case; the first section or key of a
// name is the one that counts.
class IniDocument {
public:
    // Nothing when the bytes are not a sectioned text file (NUL bytes, or text
    // without any section).
    static std::optional<IniDocument> parse(const QByteArray &bytes);
    QByteArray serialize() const;

    bool hasSection(const QString &section) const;
    // Keys of the section in file order.
    QStringList keys(const QString &section) const;
    std::optional<QString> value(const QString &section, const QString &key) const;
    // The values of several keys, given case-folded, in their order; nothing
    // for a key the section lacks.
    QList<std::optional<QString>> values(const QString &section, const QStringList &foldedKeys) const;
    // The key as the file spells it; nothing when the section has no such key.
    std::optional<QString> keyName(const QString &section, const QString &key) const;
    // Keys and values of the section in file order (the first of a repeated key).
    QList<std::pair<QString, QString>> entries(const QString &section) const;

    // Appends the section at the end and the key at the end of its section when new.
    void setValue(const QString &section, const QString &key, const QString &value);
    void removeKey(const QString &section, const QString &key);
    // Removes every section of that name.
    void removeSection(const QString &section);
    void addSection(const QString &section);

private:
    struct Line {
        QString text;
        // Set for "key=value" lines.
        QString key;
        QString value;
        bool isEntry = false;
    };
    struct Section {
        QString header;
        QString name;
        QList<Line> lines;
        // Case-folded key -> line of its first entry; built on first use,
        // dropped when lines move.
        mutable QHash<QString, qsizetype> keyLines;
        mutable bool keysIndexed = false;
    };

    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;
    static qsizetype findKey(const Section &section, const QString &key);
    static qsizetype findFoldedKey(const Section &section, const QString &foldedKey);
    const Line *findLine(const QString &section, const QString &key) const;

    QList<Line> m_preamble;
    QList<Section> m_sections;
    // Case-folded name -> index of its first section; built on first use.
    mutable QHash<QString, qsizetype> m_sectionIndex;
    mutable bool m_sectionsIndexed = false;
    QByteArray m_lineEnd = "\n";
};
