#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>

// Walks folders and all their subfolders on the event loop, a slice of files
// per turn, reporting each folder as it is entered and each file as it is
// found. Visible files only, in the file system's own order; links to
// folders are not followed, so a link cannot make the walk circle. Folders
// asked for while a walk runs are walked after it.
class FolderSearch : public QObject {
    Q_OBJECT
public:
    explicit FolderSearch(QObject *parent = nullptr);

    void search(const QString &folder);
    // Ends the walk before the next file; the folders still queued are dropped.
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // The folder ends in '/'.
    void folderEntered(const QString &folder);
    void fileFound(const QString &path);
    // After the last file, or after a stop.
    void finished();

private:
    void step();
    void enter(const QString &folder);
    void finish();

    QTimer m_turn;
    std::deque<QString> m_folders;
    QStringList m_files;
    qsizetype m_nextFile = 0;
    bool m_running = false;
};
