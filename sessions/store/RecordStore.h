#pragma once

#include "sessions/store/IniDocument.h"
#include "sessions/store/StoreError.h"
#include "sessions/store/StoreRecord.h"

#include <QDateTime>
#include <QHash>
#include <functional>
#include <optional>

// Records kept in a sectioned text file: section "Index" lists every record name
// (value "#"), section "Defaults" holds "_Entries" (the count) and default
// values for missing keys, and each record has a section named by its key field
// with one key per other field. Empty fields are not stored; a stored "#"
// reads as empty. Every operation is on disk, atomically replaced, when it
// returns; other content of the file is kept.
class TRecordStore {
public:
    static constexpr int maxRecords = 999;
    static constexpr int maxKeyLength = 31;
    static constexpr int maxFieldNameLength = 21;
    static constexpr int maxRecordSize = 65520;
    // Far beyond any real file of at most maxRecords records.
    static constexpr qint64 maxFileBytes = 8 * 1024 * 1024;

    // Throws a StoreError for a field list it cannot hold. A bare file name that
    // does not exist is looked for in (and created in) `fallbackDir`.
    TRecordStore(const QString &fileName, const StoreFields &fields, const QString &keyField,
        const QString &fallbackDir = QString());

    // Reopens at once when the store is in use.
    void setFileName(const QString &fileName);
    QString fileName() const { return m_fileName; }
    // The file actually used, once open.
    QString filePath() const { return m_path; }

    // Called with a message for the user when the file had to be set aside.
    void setWarningHandler(std::function<void(const QString &)> handler) { m_warn = std::move(handler); }

    // Opens the store, creating an empty one when the file does not exist.
    // Done automatically by every operation.
    void open(bool create = true);
    bool isOpen() const { return !m_path.isEmpty(); }

    int count();
    QStringList names();
    bool exists(const QString &name);
    StoreRecord read(const QString &name);
    void read(const QString &name, StoreRecord &record);
    // Every record in the order of names(), read in one pass.
    QList<StoreRecord> readAll();
    void add(const StoreRecord &record);
    void update(const QString &oldName, const StoreRecord &record);
    // Rewrites several records in place under their own names with one write;
    // fails, writing none, when one of them is not listed.
    void updateInPlace(const QList<StoreRecord> &records);
    void remove(const QString &name);

    StoreRecord emptyRecord() const { return StoreRecord(m_fields); }

private:
    QString resolvePath() const;
    // The file as it is on disk now (re-read only when it changed).
    const IniDocument &current();
    IniDocument load();
    QByteArray readFile() const;
    IniDocument parsed(const QByteArray &bytes);
    bool changedOnDisk() const;
    // Runs `change` on the current file under the file lock and writes it back.
    void modify(const std::function<void(IniDocument &)> &change);
    void writeRecord(IniDocument &doc, const QString &name, const StoreRecord &record) const;
    void setCount(IniDocument &doc) const;
    QString checkedName(const StoreRecord &record) const;
    // The value a section's entries give each field, by field index; the
    // first of a repeated key counts.
    using FieldValues = QList<std::optional<QString>>;
    FieldValues fieldValues(const QList<std::pair<QString, QString>> &entries) const;
    // A record listed as listedName from its section's values, else the defaults'.
    StoreRecord recordFrom(
        const QString &listedName, const FieldValues &stored, const FieldValues &defaults) const;
    void refuseReserved(const QString &name) const;
    [[noreturn]] void fail(StoreError::Code code, const QString &message) const;

    QString m_fileName;
    StoreFields m_fields;
    // Field index by name as spelled and by case-folded name.
    QHash<QString, qsizetype> m_fieldIndex;
    QHash<QString, qsizetype> m_foldedFieldIndex;
    qsizetype m_key = -1;
    QString m_fallbackDir;
    std::function<void(const QString &)> m_warn;

    QString m_path;
    IniDocument m_doc;
    // Identity of the file m_doc was read from.
    QDateTime m_stamp;
    qint64 m_size = -1;
    QByteArray m_bytes; // what m_doc was read from or written as
};
