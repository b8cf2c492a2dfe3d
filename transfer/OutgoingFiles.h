#pragma once

#include <QList>
#include <QSet>
#include <QStringList>
#include <QUrl>

// The files collected for a batch upload: full paths in the order added,
// each held once (paths are compared exactly, as the file system does).
class OutgoingFiles {
public:
    // False when the list already holds the path.
    bool add(const QString &path);
    void removeAt(int row);
    void clear();

    bool isEmpty() const { return m_paths.isEmpty(); }
    qsizetype count() const { return m_paths.size(); }
    const QStringList &paths() const { return m_paths; }

private:
    QStringList m_paths;
    QSet<QString> m_held;
};

// Local items dropped from the desktop, sorted by kind; anything that is
// neither an existing file nor a folder (a remote URL, a vanished path) is
// left out.
struct DroppedItems {
    QStringList files;
    QStringList folders;

    static DroppedItems fromUrls(const QList<QUrl> &urls);
};
