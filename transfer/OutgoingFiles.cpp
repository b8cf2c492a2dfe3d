#include "transfer/OutgoingFiles.h"

#include <QFileInfo>

bool OutgoingFiles::add(const QString &path)
{
    if (m_held.contains(path))
        return false;
    m_held.insert(path);
    m_paths << path;
    return true;
}

void OutgoingFiles::removeAt(int row)
{
    if (row >= 0 && row < m_paths.size())
        m_held.remove(m_paths.takeAt(row));
}

void OutgoingFiles::clear()
{
    m_paths.clear();
    m_held.clear();
}

DroppedItems DroppedItems::fromUrls(const QList<QUrl> &urls)
{
    DroppedItems items;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir())
            items.folders << url.toLocalFile();
        else if (info.isFile())
            items.files << url.toLocalFile();
    }
    return items;
}
