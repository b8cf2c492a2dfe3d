#include "transfer/ui/TBatchUploadForm.h"

#include "shell/DocumentLauncher.h"
#include "shell/HelpService.h"
#include "shell/ui/FolderBrowser.h"
#include "shell/ui/FormPlacement.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

TBatchUploadForm::TBatchUploadForm(
    QStringList &batchList, const QString &uploadDir, Services services, QWidget *parent)
    : QDialog(parent)
    , m_batchList(batchList)
    , m_services(services)
{
    setObjectName(QStringLiteral("BatchUploadForm"));
    setWindowTitle(QStringLiteral("Send Files"));
    buildBrowser();
    buildOutgoing();
    layOut();
    setAcceptDrops(true);
    // Alt+O, Alt+C and Alt+H answer the dialog before any control sees them
    // ("&Outgoing Files:" shares the O).
    qApp->installEventFilter(this);

    connect(&m_search, &FolderSearch::folderEntered, m_scanning, &QLabel::setText);
    connect(&m_search, &FolderSearch::fileFound, this, &TBatchUploadForm::addFile);
    connect(&m_search, &FolderSearch::finished, this, &TBatchUploadForm::updateOk);

    m_browser->showFolder(QFileInfo(uploadDir).isDir() ? uploadDir : QDir::currentPath());
    updateOk();
    resize(900, 480);
    RestoreFormPlacement(m_services.settings, *this);
}

void TBatchUploadForm::buildBrowser()
{
    m_browser = new FolderBrowser(this);
    m_browser->folders()->setDragEnabled(true);
    m_browser->folders()->setDragDropMode(QAbstractItemView::DragOnly);
    QListWidget *files = m_browser->files();
    files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    files->setDragEnabled(true);
    files->setDragDropMode(QAbstractItemView::DragOnly);
    connect(files, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem *item) { addFile(m_browser->folder() + item->text()); });
}

void TBatchUploadForm::buildOutgoing()
{
    // Drops on the list reach the dialog, which decides what to take.
    m_outgoingList = new QListWidget(this);
    m_outgoingList->setObjectName(QStringLiteral("lstOutgoing"));
    m_outgoingList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(m_outgoingList, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem *item) { removeOutgoing(m_outgoingList->row(item)); });

    m_uploadFolder = new QLabel(this);
    m_uploadFolder->setObjectName(QStringLiteral("lblUploadDir"));
    m_scanning = new QLabel(QStringLiteral("None"), this);
    m_scanning->setObjectName(QStringLiteral("lblScanning"));
    // Long paths must not widen the dialog.
    m_uploadFolder->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_scanning->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TBatchUploadForm::layOut()
{
    auto *outgoingLabel = new QLabel(QStringLiteral("&Outgoing Files:"), this);
    outgoingLabel->setBuddy(m_outgoingList);

    auto *browser = new QGridLayout;
    browser->addWidget(m_browser->drives(), 0, 0);
    browser->addWidget(m_uploadFolder, 0, 1);
    browser->addWidget(m_browser->folders(), 1, 0);
    browser->addWidget(m_browser->files(), 1, 1);
    browser->setColumnStretch(0, 1);
    browser->setColumnStretch(1, 1);

    auto *outgoing = new QVBoxLayout;
    outgoing->addWidget(outgoingLabel);
    outgoing->addWidget(m_outgoingList, 1);

    auto *lists = new QHBoxLayout;
    lists->addLayout(browser, 3);
    lists->addLayout(outgoing, 2);

    auto *scanning = new QHBoxLayout;
    scanning->addWidget(new QLabel(QStringLiteral("Scanning directory:"), this));
    scanning->addWidget(m_scanning, 1);

    auto button = [this](const QString &text, const QString &name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *explorer = button(QStringLiteral("Explorer"), QStringLiteral("btnExplorer"));
    QPushButton *clear = button(QStringLiteral("Clear"), QStringLiteral("btnClear"));
    QPushButton *stop = button(QStringLiteral("Cancel"), QStringLiteral("btnStopScan"));
    QPushButton *help = button(QStringLiteral("&Help"), QStringLiteral("help"));
    QPushButton *cancel = button(QStringLiteral("&Cancel"), QStringLiteral("cancel"));
    m_ok = button(QStringLiteral("&OK"), QStringLiteral("ok"));
    m_ok->setDefault(true);
    connect(explorer, &QPushButton::clicked, this,
        [this] { m_services.launcher.open(QUrl::fromLocalFile(m_browser->folder())); });
    connect(clear, &QPushButton::clicked, this, &TBatchUploadForm::clearOutgoing);
    connect(stop, &QPushButton::clicked, &m_search, &FolderSearch::stop);
    connect(help, &QPushButton::clicked, this, [this] { m_services.help.showHelp(helpContext); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(explorer);
    buttons->addWidget(clear);
    buttons->addWidget(stop);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(scanning);
    layout->addLayout(buttons);
}

void TBatchUploadForm::setUploadFolderLabel(const QString &folder)
{
    m_uploadFolder->setText(folder);
}

void TBatchUploadForm::setFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        m_browser->showFolder(folder);
}

QString TBatchUploadForm::folder() const
{
    return m_browser->folder();
}

void TBatchUploadForm::addFile(const QString &path)
{
    if (m_outgoing.add(path))
        m_outgoingList->addItem(path);
    updateOk();
}

void TBatchUploadForm::addSelectedFiles()
{
    for (const QListWidgetItem *item : m_browser->files()->selectedItems())
        addFile(m_browser->folder() + item->text());
}

void TBatchUploadForm::searchFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        m_search.search(folder);
}

void TBatchUploadForm::addDropped(const QList<QUrl> &urls)
{
    const DroppedItems items = DroppedItems::fromUrls(urls);
    for (const QString &file : items.files)
        addFile(file);
    for (const QString &folder : items.folders)
        searchFolder(folder);
}

void TBatchUploadForm::removeOutgoing(int row)
{
    m_outgoing.removeAt(row);
    delete m_outgoingList->takeItem(row);
    updateOk();
}

void TBatchUploadForm::clearOutgoing()
{
    m_outgoing.clear();
    m_outgoingList->clear();
    updateOk();
}

void TBatchUploadForm::updateOk()
{
    m_ok->setEnabled(!m_outgoing.isEmpty());
}

bool TBatchUploadForm::takesDrop(const QDropEvent *event) const
{
    const QObject *source = event->source();
    if (!source)
        return event->mimeData()->hasUrls();
    // From inside the dialog, only the browser's lists may drop, and only on
    // the outgoing list.
    const bool fromBrowser = source == m_browser->files() || source == m_browser->folders();
    const QPoint at = m_outgoingList->mapFrom(this, event->position().toPoint());
    return fromBrowser && m_outgoingList->rect().contains(at);
}

bool TBatchUploadForm::eventFilter(QObject *watched, QEvent *event)
{
    if (dialogKey(watched, event))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool TBatchUploadForm::dialogKey(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() != Qt::AltModifier
        || (key->key() != Qt::Key_O && key->key() != Qt::Key_C && key->key() != Qt::Key_H))
        return false;
    // Claimed as the focus widget's own key, it arrives as a key press.
    event->accept();
    if (event->type() == QEvent::KeyPress) {
        if (key->key() == Qt::Key_O)
            accept();
        else if (key->key() == Qt::Key_C)
            reject();
        else
            m_services.help.showHelp(helpContext);
    }
    return true;
}

void TBatchUploadForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (takesDrop(event))
        event->acceptProposedAction();
}

void TBatchUploadForm::dragMoveEvent(QDragMoveEvent *event)
{
    if (takesDrop(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TBatchUploadForm::dropEvent(QDropEvent *event)
{
    if (!takesDrop(event))
        return;
    if (event->source() == m_browser->files())
        addSelectedFiles();
    else if (event->source() == m_browser->folders())
        searchFolder(m_browser->currentTreeFolder());
    else
        addDropped(event->mimeData()->urls());
    event->acceptProposedAction();
}

void TBatchUploadForm::accept()
{
    if (m_outgoing.isEmpty())
        return;
    m_batchList << m_outgoing.paths();
    QDialog::accept();
}

void TBatchUploadForm::done(int result)
{
    m_search.stop();
    SaveFormPlacement(m_services.settings, *this);
    QDialog::done(result);
}
