#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <functional>

// The application log: one stamped, flushed line per write(). It never reports
// its own failures; a line that cannot be written is lost and the file is
// opened again for the next one.
class TLog {
public:
    explicit TLog(const QString &fileName = QStringLiteral("Log.txt"));

    // Closes the current file; the next line opens the new one afresh.
    void setFileName(const QString &fileName);
    QString fileName() const { return m_fileName; }

    // Append to an existing file instead of emptying it at the first line.
    void setAppend(bool on) { m_append = on; }
    void setDateStamp(bool on) { m_dateStamp = on; }
    void setTimeStamp(bool on) { m_timeStamp = on; }
    // A disabled log touches no file; the file stays open across a disable.
    void setEnabled(bool on) { m_enabled = on; }
    bool enabled() const { return m_enabled; }
    bool isOpen() const { return m_file.isOpen(); }

    // Source of the stamps (the system clock unless replaced).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    void write(const QString &message);

private:
    bool open();

    QString m_fileName;
    bool m_append = false;
    bool m_dateStamp = true;
    bool m_timeStamp = true;
    bool m_enabled = true;
    // The file was opened during this run: reopening continues it.
    bool m_openedBefore = false;
    QFile m_file;
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};
