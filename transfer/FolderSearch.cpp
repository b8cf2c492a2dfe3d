#include "transfer/FolderSearch.h"

#include <QDir>
#include <QElapsedTimer>

namespace {
// Long enough to walk quickly, short enough to keep the window responsive.
constexpr qint64 sliceMs = 10;
} // namespace

FolderSearch::FolderSearch(QObject *parent)
    : QObject(parent)
{
    m_turn.setInterval(0);
    connect(&m_turn, &QTimer::timeout, this, &FolderSearch::step);
}

void FolderSearch::search(const QString &folder)
{
    m_folders.push_back(folder);
    if (m_running)
        return;
    m_running = true;
    m_turn.start();
}

void FolderSearch::stop()
{
    if (m_running)
        finish();
}

void FolderSearch::step()
{
    QElapsedTimer slice;
    slice.start();
    // A stop from a slot ends the walk between two files.
    while (m_running && !slice.hasExpired(sliceMs)) {
        if (m_nextFile < m_files.size()) {
            emit fileFound(m_files.at(m_nextFile++));
            continue;
        }
        if (m_folders.empty()) {
            finish();
            return;
        }
        const QString folder = m_folders.front();
        m_folders.pop_front();
        enter(folder);
    }
}

void FolderSearch::enter(const QString &folder)
{
    QDir dir(folder);
    QString path = dir.absolutePath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    emit folderEntered(path);
    m_files.clear();
    m_nextFile = 0;
    const QStringList files = dir.entryList(QDir::Files, QDir::Unsorted);
    for (const QString &name : files)
        m_files << path + name;
    // Subfolders go first in the queue, so the walk goes down before it goes on.
    const QStringList folders
        = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Unsorted);
    for (auto it = folders.crbegin(); it != folders.crend(); ++it)
        m_folders.push_front(path + *it);
}

void FolderSearch::finish()
{
    m_turn.stop();
    m_folders.clear();
    m_files.clear();
    m_nextFile = 0;
    m_running = false;
    emit finished();
}
