#include "extras/ui/TIMForm.h"

#include "extras/ui/SessionIcons.h"
#include "shell/FileNames.h"
#include "shell/ProgramDir.h"
#include "shell/TLog.h"
#include "shell/UserPrompt.h"
#include "shell/files/AtomicWrite.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

TIMForm::TIMForm(SessionIcons &icons, UserPrompt &prompt, TLog &log, QWidget *parent)
    : QDialog(parent)
    , icons_(icons)
    , prompt_(prompt)
    , log_(log)
    , view_(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Session Icons"));
    view_->setObjectName(QStringLiteral("icons"));
    view_->setViewMode(QListView::IconMode);
    view_->setMovement(QListView::Static);
    view_->setResizeMode(QListView::Adjust);
    view_->setIconSize(QSize(SessionIcons::iconSize, SessionIcons::iconSize));
    const int cell = fontMetrics().averageCharWidth() * 17;
    view_->setGridSize(QSize(cell, SessionIcons::iconSize + fontMetrics().lineSpacing() * 2 + 12));
    view_->setWordWrap(true);
    view_->setTextElideMode(Qt::ElideMiddle);
    view_->setUniformItemSizes(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setMinimumSize(cell * 5 + 24, view_->gridSize().height() * 3 + 8);
    connect(view_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    // Add, Delete and Refresh on the left, OK and Cancel on the right.
    auto *buttons = new QHBoxLayout;
    const auto addButton = [this, buttons](const QString &text, const QString &name) {
        auto *button = new QPushButton(text, this);
        button->setObjectName(name);
        buttons->addWidget(button);
        return button;
    };
    connect(addButton(QStringLiteral("&Add"), QStringLiteral("add")), &QPushButton::clicked, this,
        &TIMForm::addIcon);
    connect(addButton(QStringLiteral("&Delete"), QStringLiteral("delete")), &QPushButton::clicked, this,
        &TIMForm::deleteIcon);
    connect(addButton(QStringLiteral("&Refresh"), QStringLiteral("refresh")), &QPushButton::clicked, this,
        &TIMForm::refresh);
    buttons->addStretch(1);
    QPushButton *ok = addButton(QStringLiteral("&OK"), QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(addButton(QStringLiteral("&Cancel"), QStringLiteral("cancel")), &QPushButton::clicked, this,
        &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Double click on the icon you want to use."), this));
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);
}

bool TIMForm::choose(int &index, QString &iconName)
{
    givenIndex_ = index;
    givenName_ = iconName;
    fillView();
    selectGiven();
    view_->setFocus();
    if (exec() != QDialog::Accepted)
        return false;
    const int row = view_->currentRow();
    if (row < 0 || row >= icons_.count() || !view_->currentItem()->isSelected())
        return false;
    index = row;
    iconName = icons_.fileName(row);
    return true;
}

void TIMForm::addIcon()
{
    // Before the first scan there is no icon folder to copy into.
    if (icons_.folder().isEmpty())
        return;
    FileRequest request;
    request.caption = QStringLiteral("Add Icon");
    request.filter = QStringLiteral("Icons (*.ico *.png *.svg)");
    const QStringList chosen = prompt_.chooseFiles(request);
    if (chosen.isEmpty())
        return;
    const QString source = chosen.first();
    const QString name = QFileInfo(source).fileName();
    if (SessionIcons::read(source).isNull()) {
        prompt_.warning(QStringLiteral("%1 cannot be read as an icon, so it was not added.").arg(name));
        return;
    }
    const QString folder = ProgramDir::withSlash(icons_.folder());
    // An icon of that name in any spelling is the one replaced.
    const QString target = FileNames::lookup(folder, name);
    const bool sameFile = QFileInfo(target).canonicalFilePath() == QFileInfo(source).canonicalFilePath();
    if (!sameFile) {
        if (QFileInfo::exists(target)
            && !prompt_.askYesNo(QStringLiteral("There is already an icon named %1. Replace it?")
                                     .arg(QFileInfo(target).fileName())))
            return;
        if (!copyIn(source, target))
            return;
    }
    rescan();
    fillView();
    const QString wanted = QDir::cleanPath(target);
    const QStringList files = icons_.files();
    for (int i = 0; i < files.size(); ++i) {
        if (QDir::cleanPath(files.at(i)) == wanted)
            select(i);
    }
    view_->setFocus();
}

bool TIMForm::copyIn(const QString &source, const QString &target)
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        prompt_.warning(QStringLiteral("Cannot read %1: %2").arg(source, file.errorString()));
        return false;
    }
    QString failure;
    if (!QDir().mkpath(QFileInfo(target).path()))
        failure = QStringLiteral("the icon folder cannot be created");
    else
        failure = writeFileAtomically(target, file.readAll());
    if (!failure.isEmpty()) {
        prompt_.warning(QStringLiteral("Cannot copy the icon to %1: %2").arg(target, failure));
        return false;
    }
    return true;
}

void TIMForm::deleteIcon()
{
    const int row = view_->currentRow();
    if (row < 0 || row >= icons_.count() || !view_->currentItem()->isSelected())
        return;
    const QString file = icons_.files().at(row);
    if (!prompt_.confirm(QStringLiteral("Delete the icon file %1?").arg(QDir::toNativeSeparators(file))))
        return;
    QFile icon(file);
    if (!icon.remove()) {
        prompt_.warning(QStringLiteral("Cannot delete %1: %2").arg(file, icon.errorString()));
        return;
    }
    rescan();
    fillView();
    select(std::min(row, icons_.count() - 1));
    view_->setFocus();
}

void TIMForm::refresh()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    rescan();
    fillView();
    QApplication::restoreOverrideCursor();
    selectGiven();
    view_->setFocus();
}

void TIMForm::rescan()
{
    icons_.LoadIcons(icons_.folder());
    for (const QString &file : icons_.skippedFiles())
        log_.write(QStringLiteral("Error loading icons: ") + file);
}

void TIMForm::fillView()
{
    view_->clear();
    // On a scaled screen the icons are drawn again at the size shown.
    const qreal ratio = devicePixelRatioF();
    const QStringList files = icons_.files();
    for (int i = 0; i < files.size(); ++i) {
        QImage image = ratio > 1
            ? SessionIcons::read(files.at(i), int(std::lround(SessionIcons::iconSize * ratio)))
            : QImage();
        if (image.isNull())
            image = icons_.image(i);
        else
            image.setDevicePixelRatio(ratio);
        auto *item = new QListWidgetItem(QIcon(QPixmap::fromImage(image)), icons_.fileName(i), view_);
        item->setToolTip(QDir::toNativeSeparators(files.at(i)));
        // The whole cell, so a name uses its width before it is shortened.
        item->setSizeHint(view_->gridSize() - QSize(4, 4));
    }
}

void TIMForm::select(int row)
{
    if (row < 0 || row >= view_->count())
        return;
    view_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    view_->scrollToItem(view_->currentItem());
}

void TIMForm::selectGiven()
{
    if (icons_.count() == 0)
        return;
    const int row = icons_.indexOf(givenName_);
    select(row >= 0 ? row : std::clamp(givenIndex_, 0, icons_.count() - 1));
}
