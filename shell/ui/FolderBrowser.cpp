#include "shell/ui/FolderBrowser.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListWidget>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

FolderBrowser::FolderBrowser(QWidget *parent)
    : QObject(parent)
{
    drives_ = new QComboBox(parent);
    drives_->setObjectName(QStringLiteral("DriveComboBox"));
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            roots << withSlash(volume.rootPath());
    }
    roots.sort();
    roots.removeDuplicates();
    drives_->addItems(roots);
    connect(drives_, &QComboBox::activated, this, &FolderBrowser::chooseDrive);

    folderModel_ = new QFileSystemModel(this);
    folderModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folderModel_->setRootPath(QStringLiteral("/"));
    folders_ = new QTreeView(parent);
    folders_->setObjectName(QStringLiteral("DirectoryListBox"));
    folders_->setModel(folderModel_);
    for (int column = 1; column < folderModel_->columnCount(); ++column)
        folders_->hideColumn(column);
    folders_->header()->hide();
    // The model reads folders in the background: show the current one once it is there.
    // The view lays out the new rows on its next turn; scroll after that,
    // and only for the folders on the way to the current one.
    connect(folderModel_, &QFileSystemModel::directoryLoaded, this, [this](const QString &loaded) {
        if (!folder_.startsWith(withSlash(loaded)))
            return;
        QTimer::singleShot(0, this,
            [this] { folders_->scrollTo(folders_->currentIndex(), QAbstractItemView::PositionAtCenter); });
    });
    connect(folders_->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) {
            if (current.isValid())
                showFolder(folderModel_->filePath(current));
        });

    files_ = new QListWidget(parent);
    files_->setObjectName(QStringLiteral("FileListBox"));
}

QString FolderBrowser::currentTreeFolder() const
{
    return folderModel_->filePath(folders_->currentIndex());
}

void FolderBrowser::chooseDrive(int index)
{
    const QString root = drives_->itemText(index);
    if (QFileInfo(root).isDir())
        showFolder(root);
}

void FolderBrowser::showFolder(const QString &folder)
{
    const QString path = withSlash(QDir(folder).absolutePath());
    if (path == folder_)
        return;
    folder_ = path;
    const QString root = withSlash(QStorageInfo(path).rootPath());
    const int drive = drives_->findText(root);
    if (drive >= 0)
        drives_->setCurrentIndex(drive);
    folders_->setRootIndex(folderModel_->index(root));
    const QModelIndex index = folderModel_->index(QDir(path).absolutePath());
    folders_->setCurrentIndex(index);
    folders_->scrollTo(index);
    fillFiles();
    emit folderChanged(folder_);
}

void FolderBrowser::setMask(const QString &mask)
{
    mask_ = mask;
    fillFiles();
}

void FolderBrowser::fillFiles()
{
    files_->clear();
    if (folder_.isEmpty())
        return;
    QStringList filters;
    for (const QString &pattern : mask_.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        filters << (pattern.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : pattern.trimmed());
    QDir dir(folder_);
    dir.setNameFilters(filters);
    files_->addItems(dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}
