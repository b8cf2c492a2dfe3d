#include "shell/TLog.h"

#include <QLocale>

TLog::TLog(const QString &fileName)
    : m_fileName(fileName)
{ }

void TLog::setFileName(const QString &fileName)
{
    m_file.close();
    m_fileName = fileName;
    m_openedBefore = false;
}

bool TLog::open()
{
    if (m_fileName.isEmpty())
        return false;
    m_file.setFileName(m_fileName);
    const bool keep = (m_append || m_openedBefore) && m_file.exists();
    if (!m_file.open(keep ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    m_openedBefore = true;
    return true;
}

void TLog::write(const QString &message)
{
    if (!m_enabled)
        return;
    if (!m_file.isOpen() && !open())
        return;
    const QDateTime now = m_clock();
    const QLocale locale = QLocale::system();
    QString line;
    if (m_dateStamp)
        line += locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral(" - ");
    if (m_timeStamp)
        line += locale.toString(now.time(), QLocale::LongFormat) + QStringLiteral(" - ");
    line += message;
    line += QLatin1Char('\n');
    const QByteArray bytes = line.toUtf8();
    if (m_file.write(bytes) != bytes.size() || !m_file.flush())
        m_file.close();
}
