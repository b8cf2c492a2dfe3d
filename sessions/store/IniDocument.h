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
    // The key as the file spells it.
    std::optional<QString> keySpelling(const QString &section, const QString &key) const;
    // Keys and values of the section in file order (the first of a repeated key).
    QList<std::pair<QString, QString>> entries(const QString &section) const;
    // Keys and values of every section (the first of a name) by case-folded
    // section name, in file order with repeated keys kept: the first counts.
    QHash<QString, QList<std::pair<QString, QString>>> allEntries() const;

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
    };

    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;
    static qsizetype findKey(const Section &section, const QString &key);
    const Line *findLine(const QString &section, const QString &key) const;
    static QList<std::pair<QString, QString>> sectionEntries(const Section &section);

    QList<Line> m_preamble;
    QList<Section> m_sections;
    QByteArray m_lineEnd = "\n";
    // Index of the section found last.
    qsizetype m_lastFound = -1;
};
