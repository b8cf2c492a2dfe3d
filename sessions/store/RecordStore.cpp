#include "sessions/store/RecordStore.h"

#include "shell/FileNames.h"
#include "shell/files/LockedUpdate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace {

const QString indexSection = QStringLiteral("Index");
const QString defaultsSection = QStringLiteral("Defaults");
const QString entriesKey = QStringLiteral("_Entries");
const QString listed = QStringLiteral("#");

// Line breaks would end the line and start new keys or sections.
QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.trimmed();
}

} // namespace

TRecordStore::TRecordStore(
    const QString &fileName, const StoreFields &fields, const QString &keyField, const QString &fallbackDir)
    : m_fileName(fileName)
    , m_fields(fields)
    , m_fallbackDir(fallbackDir)
{
    if (m_fields.isEmpty())
        fail(StoreError::Code::FieldListEmpty, QStringLiteral("The record has no fields"));
    int size = 0;
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const StoreField &field = m_fields[i];
        if (field.name.isEmpty() || field.name.size() > maxFieldNameLength || field.maxLength < 1)
            fail(StoreError::Code::FieldTooLong,
                QStringLiteral("Field name \"%1\" is not usable").arg(field.name));
        if (field.name.compare(keyField, Qt::CaseInsensitive) == 0)
            m_key = i;
        size += field.maxLength + 1;
        m_fieldIndex.insert(field.name, i);
        m_foldedFieldIndex.insert(field.name.toCaseFolded(), i);
    }
    if (m_key < 0)
        fail(StoreError::Code::FieldListEmpty,
            QStringLiteral("The key field %1 is not in the record").arg(keyField));
    if (m_fields[m_key].maxLength > maxKeyLength)
        fail(StoreError::Code::FieldTooLong, QStringLiteral("The key field %1 is too long").arg(keyField));
    if (size > maxRecordSize)
        fail(StoreError::Code::RecordTooLarge, QStringLiteral("A record takes %1 bytes").arg(size));
}

void TRecordStore::fail(StoreError::Code code, const QString &message) const
{
    throw StoreError(code, message);
}

void TRecordStore::setFileName(const QString &fileName)
{
    const bool wasOpen = isOpen();
    m_fileName = fileName;
    m_path.clear();
    m_size = -1;
    if (wasOpen)
        open();
}

QString TRecordStore::resolvePath() const
{
    const QString named = FileNames::resolve(m_fileName);
    if (QFileInfo::exists(named) || m_fileName.contains(QLatin1Char('/')) || m_fallbackDir.isEmpty())
        return named;
    return FileNames::lookup(m_fallbackDir, m_fileName);
}

QByteArray TRecordStore::readFile() const
{
    QFile file(m_path);
    if (file.size() > maxFileBytes)
        fail(StoreError::Code::CannotRead,
            QStringLiteral("%1 is larger than %2 MB: it is not read, and left as it is")
                .arg(m_path)
                .arg(maxFileBytes / (1024 * 1024)));
    if (!file.open(QIODevice::ReadOnly))
        fail(StoreError::Code::CannotRead,
            QStringLiteral("%1 cannot be read: %2").arg(m_path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(StoreError::Code::CannotRead,
            QStringLiteral("%1 cannot be read: %2").arg(m_path, file.errorString()));
    return bytes;
}

IniDocument TRecordStore::load()
{
    return parsed(readFile());
}

IniDocument TRecordStore::parsed(const QByteArray &bytes)
{
    const QFileInfo info(m_path);
    m_stamp = info.lastModified();
    m_size = info.size();
    m_bytes = bytes;
    if (auto doc = IniDocument::parse(bytes))
        return *doc;

    // Not a file of this kind: keep it aside and start afresh, never overwrite it.
    const QString aside = m_path + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (!QFile::rename(m_path, aside))
        fail(StoreError::Code::CannotRead,
            QStringLiteral("%1 is not a readable record file and could not be moved aside").arg(m_path));
    if (m_warn) {
        m_warn(QStringLiteral("%1 could not be read and was kept as %2. A new, empty file was started.")
                   .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(aside)));
    }
    m_size = -1;
    return IniDocument();
}

bool TRecordStore::changedOnDisk() const
{
    const QFileInfo info(m_path);
    return !info.exists() || info.size() != m_size || info.lastModified() != m_stamp;
}

const IniDocument &TRecordStore::current()
{
    open();
    if (!changedOnDisk())
        return m_doc;
    if (QFileInfo::exists(m_path))
        m_doc = load();
    else
        m_size = -1;
    // Missing, or set aside as unreadable: start an empty file.
    if (m_size < 0)
        modify([](IniDocument &) {});
    return m_doc;
}

void TRecordStore::open(bool create)
{
    if (isOpen())
        return;
    const QString path = resolvePath();
    if (!QFileInfo::exists(path) && !create)
        fail(StoreError::Code::RecordNotFound, QStringLiteral("%1 does not exist").arg(path));
    m_path = path;
    m_size = -1;
    if (!QFileInfo::exists(m_path))
        modify([](IniDocument &) {});
}

void TRecordStore::setCount(IniDocument &doc) const
{
    doc.addSection(indexSection);
    doc.setValue(defaultsSection, entriesKey, QString::number(doc.keys(indexSection).size()));
}

void TRecordStore::modify(const std::function<void(IniDocument &)> &change)
{
    IniDocument doc;
    QByteArray bytes;
    // A read or validation error thrown under the lock leaves the file as it is.
    const LockedUpdate update = updateFileLocked(m_path, [&]() -> std::optional<QByteArray> {
        if (!QFileInfo::exists(m_path)) {
            m_doc = IniDocument();
            m_size = -1;
        } else {
            // Under the lock the file itself is compared: its time stamp can be
            // too coarse to show another instance's write.
            const QByteArray current = readFile();
            if (m_size < 0 || current != m_bytes)
                m_doc = parsed(current);
        }
        doc = m_doc;
        change(doc);
        setCount(doc);
        bytes = doc.serialize();
        return bytes;
    });
    switch (update.result) {
    case LockedUpdate::Result::Written:
    case LockedUpdate::Result::Unchanged:
        break;
    case LockedUpdate::Result::NoFolder:
        fail(StoreError::Code::CannotWrite,
            QStringLiteral("Cannot create the folder %1").arg(QFileInfo(m_path).path()));
        break;
    case LockedUpdate::Result::Locked:
        fail(StoreError::Code::CannotWrite, QStringLiteral("%1 is locked by another program").arg(m_path));
        break;
    case LockedUpdate::Result::CannotLock:
        fail(StoreError::Code::CannotWrite,
            QStringLiteral("%1 cannot be changed: %2").arg(m_path, update.reason));
        break;
    case LockedUpdate::Result::WriteFailed:
        m_size = -1;
        fail(StoreError::Code::CannotWrite,
            QStringLiteral("%1 cannot be written: %2").arg(m_path, update.reason));
        break;
    }
    m_doc = doc;
    m_bytes = bytes;
    const QFileInfo written(m_path);
    m_stamp = written.lastModified();
    m_size = written.size();
}

QStringList TRecordStore::names()
{
    return current().keys(indexSection);
}

int TRecordStore::count()
{
    return int(names().size());
}

bool TRecordStore::exists(const QString &name)
{
    return current().value(indexSection, oneLine(name)).has_value();
}

TRecordStore::FieldValues TRecordStore::fieldValues(const QList<std::pair<QString, QString>> &entries) const
{
    FieldValues values(m_fields.size());
    for (const auto &[key, value] : entries) {
        const auto exact = m_fieldIndex.constFind(key);
        const qsizetype at
            = exact != m_fieldIndex.constEnd() ? *exact : m_foldedFieldIndex.value(key.toCaseFolded(), -1);
        if (at >= 0 && !values[at])
            values[at] = value;
    }
    return values;
}

void TRecordStore::read(const QString &name, StoreRecord &record)
{
    const IniDocument &doc = current();
    const QString key = oneLine(name);
    const std::optional<QString> listedName = doc.keySpelling(indexSection, key);
    if (!listedName)
        fail(StoreError::Code::RecordNotFound, QStringLiteral("No record %1").arg(name));
    record
        = recordFrom(*listedName, fieldValues(doc.entries(key)), fieldValues(doc.entries(defaultsSection)));
}

QList<StoreRecord> TRecordStore::readAll()
{
    const IniDocument &doc = current();
    const QHash<QString, QList<std::pair<QString, QString>>> sections = doc.allEntries();
    const FieldValues defaults = fieldValues(sections.value(defaultsSection.toCaseFolded()));
    QList<StoreRecord> records;
    for (const QString &name : doc.keys(indexSection))
        records << recordFrom(name, fieldValues(sections.value(name.toCaseFolded())), defaults);
    return records;
}

StoreRecord TRecordStore::recordFrom(
    const QString &listedName, const FieldValues &stored, const FieldValues &defaults) const
{
    StoreRecord record = emptyRecord();
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (i == m_key) {
            record.setValue(i, listedName);
            continue;
        }
        const QString text = stored[i].value_or(defaults[i].value_or(QString()));
        record.setValue(i, text != listed ? text : QString());
    }
    return record;
}

StoreRecord TRecordStore::read(const QString &name)
{
    StoreRecord record = emptyRecord();
    read(name, record);
    return record;
}

QString TRecordStore::checkedName(const StoreRecord &record) const
{
    const QString name = oneLine(record.value(m_key));
    if (name.isEmpty() || name.contains(QLatin1Char('=')) || name.startsWith(QLatin1Char(';'))
        || name.startsWith(QLatin1Char('[')))
        fail(StoreError::Code::InvalidName,
            QStringLiteral("\"%1\" cannot be used as a record name").arg(name));
    refuseReserved(name);
    return name;
}

// The file's own sections: a record of that name would be read as the index
// or as every record's defaults.
void TRecordStore::refuseReserved(const QString &name) const
{
    for (const QString &reserved : {indexSection, defaultsSection})
        if (name.compare(reserved, Qt::CaseInsensitive) == 0)
            fail(StoreError::Code::InvalidName,
                QStringLiteral("\"%1\" is a name the file keeps for itself; choose another").arg(name));
}

void TRecordStore::writeRecord(IniDocument &doc, const QString &name, const StoreRecord &record) const
{
    doc.addSection(name);
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (i == m_key)
            continue;
        const QString &field = m_fields[i].name;
        const QString text = oneLine(record.value(i));
        if (!text.isEmpty())
            doc.setValue(name, field, text);
        else if (doc.value(name, field).value_or(QString()).startsWith(listed))
            doc.setValue(name, field, listed);
        else
            doc.removeKey(name, field);
    }
}

void TRecordStore::add(const StoreRecord &record)
{
    const QString name = checkedName(record);
    open();
    modify([&](IniDocument &doc) {
        if (doc.value(indexSection, name))
            fail(StoreError::Code::RecordExists, QStringLiteral("Record %1 exists").arg(name));
        if (doc.keys(indexSection).size() >= maxRecords)
            fail(StoreError::Code::DatabaseFull, QStringLiteral("The file holds %1 records").arg(maxRecords));
        doc.setValue(indexSection, name, listed);
        writeRecord(doc, name, record);
    });
}

void TRecordStore::update(const QString &oldName, const StoreRecord &record)
{
    const QString name = checkedName(record);
    const QString old = oneLine(oldName);
    open();
    modify([&](IniDocument &doc) {
        if (!doc.value(indexSection, old))
            fail(StoreError::Code::RecordNotFound, QStringLiteral("No record %1").arg(oldName));
        if (name.compare(old, Qt::CaseInsensitive) == 0) {
            writeRecord(doc, old, record);
            return;
        }
        // Checked before anything is removed, so a failed rename loses nothing.
        if (doc.value(indexSection, name))
            fail(StoreError::Code::RecordExists, QStringLiteral("Record %1 exists").arg(name));
        doc.removeKey(indexSection, old);
        doc.removeSection(old);
        doc.setValue(indexSection, name, listed);
        writeRecord(doc, name, record);
    });
}

void TRecordStore::updateInPlace(const QList<StoreRecord> &records)
{
    if (records.isEmpty())
        return;
    QStringList names;
    for (const StoreRecord &record : records)
        names << checkedName(record);
    open();
    modify([&](IniDocument &doc) {
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (!doc.value(indexSection, names[i]))
                fail(StoreError::Code::RecordNotFound, QStringLiteral("No record %1").arg(names[i]));
            writeRecord(doc, names[i], records[i]);
        }
    });
}

void TRecordStore::remove(const QString &name)
{
    const QString key = oneLine(name);
    refuseReserved(key);
    open();
    modify([&](IniDocument &doc) {
        if (!doc.value(indexSection, key))
            fail(StoreError::Code::RecordNotFound, QStringLiteral("No record %1").arg(name));
        doc.removeKey(indexSection, key);
        doc.removeSection(key);
    });
}
