#include "sessions/store/StoreRecord.h"

StoreRecord::StoreRecord(StoreFields fields)
    : m_fields(std::move(fields))
{
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        m_values << QString();
}

qsizetype StoreRecord::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void StoreRecord::setValue(qsizetype index, const QString &text)
{
    if (index < 0 || index >= m_fields.size())
        return;
    m_values[index] = text.left(m_fields[index].maxLength);
}

void StoreRecord::setValue(const QString &name, const QString &text)
{
    setValue(indexOf(name), text);
}
