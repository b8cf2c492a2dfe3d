#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>

// A file being sent: its data and what the sender tells the receiver about it.
class OutgoingFile {
public:
    // Returns Success or FileNotFound.
    int open(const QString &path, bool includeDirectory);
    void close() { file_.close(); }

    // The name as sent: the file's name, or with includeDirectory its path
    // with forward slashes and no leading slash.
    static QString wireName(const QString &path, bool includeDirectory);

    QFile &file() { return file_; }
    QString path() const { return path_; }
    QString name() const { return wireName_; }
    qint64 size() const { return size_; }
    QDateTime modified() const { return modified_; }
    int mode() const { return mode_; }

private:
    QFile file_;
    QString path_;
    QString wireName_;
    qint64 size_ = 0;
    QDateTime modified_;
    int mode_ = 0644;
};
