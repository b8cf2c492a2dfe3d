#pragma once

#include "transfer/FolderSearch.h"
#include "transfer/OutgoingFiles.h"

#include <QDialog>

class DocumentLauncher;
class FolderBrowser;
class HelpService;
class QLabel;
class QListWidget;
class QPushButton;
class SettingsStore;

// "Send Files": collects the files of a batch upload from a drive, folder
// and file browser, from drags onto the outgoing list and from files and
// folders dropped from the desktop. Folders are searched with all their
// subfolders. OK appends the outgoing files, in order, to the caller's list.
class TBatchUploadForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int helpContext = 17;

    struct Services {
        SettingsStore &settings;
        HelpService &help;
        DocumentLauncher &launcher;
    };

    // Starts in uploadDir when it exists, else in the current folder.
    TBatchUploadForm(
        QStringList &batchList, const QString &uploadDir, Services services, QWidget *parent = nullptr);

    // The upload folder shown above the lists.
    void setUploadFolderLabel(const QString &folder);
    // Shows folder (and its drive) in the browser; ignored when it does not exist.
    void setFolder(const QString &folder);
    // The folder shown in the browser, ending in '/'.
    QString folder() const;

    const QStringList &outgoing() const { return m_outgoing.paths(); }
    bool isSearching() const { return m_search.isRunning(); }

    // What a drag from the file list onto the outgoing list does.
    void addSelectedFiles();
    // What a drag from the folder list onto the outgoing list does.
    void searchFolder(const QString &folder);
    // What a drop from the desktop does: folders are searched, files added.
    void addDropped(const QList<QUrl> &urls);

    void accept() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildBrowser();
    void buildOutgoing();
    void layOut();
    void addFile(const QString &path);
    void removeOutgoing(int row);
    void clearOutgoing();
    void updateOk();
    bool takesDrop(const QDropEvent *event) const;
    bool dialogKey(QObject *watched, QEvent *event);

    QStringList &m_batchList;
    Services m_services;
    OutgoingFiles m_outgoing;
    FolderSearch m_search;

    FolderBrowser *m_browser = nullptr;
    QListWidget *m_outgoingList = nullptr;
    QLabel *m_uploadFolder = nullptr;
    QLabel *m_scanning = nullptr;
    QPushButton *m_ok = nullptr;
};
