#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One field of a stored record: its name (also the key name in the file) and
// its maximum length in characters.
struct StoreField {
    QString name;
    int maxLength;
};
using StoreFields = QList<StoreField>;

// A record of a record store: one text per field, each cut to its field's
// maximum length when it is set.
class StoreRecord {
public:
    explicit StoreRecord(StoreFields fields);

    const StoreFields &fields() const { return m_fields; }
    // Index of a field matched without case, -1 when there is none.
    qsizetype indexOf(const QString &name) const;

    QString value(qsizetype index) const { return m_values.value(index); }
    void setValue(qsizetype index, const QString &text);
    QString value(const QString &name) const { return value(indexOf(name)); }
    void setValue(const QString &name, const QString &text);

    bool operator==(const StoreRecord &other) const { return m_values == other.m_values; }

private:
    StoreFields m_fields;
    QStringList m_values;
};
