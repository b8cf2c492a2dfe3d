#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QListWidget;
class QTreeView;
class QWidget;

// A drive box, a folder tree and the file list of the folder shown, kept
// in step with each other; the dialog that owns them lays them out.
class FolderBrowser : public QObject {
    Q_OBJECT
public:
    explicit FolderBrowser(QWidget *parent);

    QComboBox *drives() const { return drives_; }
    QTreeView *folders() const { return folders_; }
    QListWidget *files() const { return files_; }
    // The folder the tree's current item stands for.
    QString currentTreeFolder() const;

    // Shows folder (and its drive); the file list follows.
    void showFolder(const QString &folder);
    // The folder shown, ending in '/'.
    QString folder() const { return folder_; }
    // Which files the list shows ("*.scr"); empty shows all.
    void setMask(const QString &mask);

signals:
    void folderChanged(const QString &folder);

private:
    void chooseDrive(int index);
    void fillFiles();

    QComboBox *drives_;
    QFileSystemModel *folderModel_;
    QTreeView *folders_;
    QListWidget *files_;
    QString folder_;
    QString mask_;
};
