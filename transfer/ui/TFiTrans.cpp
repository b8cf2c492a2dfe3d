#include "transfer/ui/TFiTrans.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TFiTrans::TFiTrans(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("FileTransfer"));
    setObjectName(QStringLiteral("FiTrans"));
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    file_ = addPanel(grid, 0, 0, QStringLiteral("File"), 3);
    status_ = addPanel(grid, 1, 0, QStringLiteral("Status"), 3);
    size_ = addPanel(grid, 2, 0, QStringLiteral("Size"));
    bytesLeft_ = addPanel(grid, 2, 2, QStringLiteral("Bytes left"));
    transferred_ = addPanel(grid, 3, 0, QStringLiteral("Transferred"));
    cps_ = addPanel(grid, 3, 2, QStringLiteral("CPS"));
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    layout->addWidget(bar_);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, &TFiTrans::cancelClicked);
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);
}

QLabel *TFiTrans::addPanel(QGridLayout *grid, int row, int column, const QString &label, int columns)
{
    auto *caption = new QLabel(label, this);
    auto *value = new QLabel(this);
    value->setObjectName(label);
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setMinimumWidth(fontMetrics().averageCharWidth() * 12);
    caption->setBuddy(value);
    grid->addWidget(caption, row, column);
    grid->addWidget(value, row, column + 1, 1, columns);
    return value;
}

void TFiTrans::showFile(const QString &name, qint64 size)
{
    file_->setText(name);
    size_->setText(QString::number(size));
}

void TFiTrans::showProgress(qint64 sent, qint64 bytesLeft, int percent)
{
    transferred_->setText(QString::number(sent));
    bytesLeft_->setText(QString::number(bytesLeft));
    bar_->setValue(percent);
}

QString TFiTrans::panelText(const QString &label) const
{
    const auto *value = findChild<QLabel *>(label);
    return value ? value->text() : QString();
}

int TFiTrans::percent() const
{
    return bar_->value();
}

void TFiTrans::showCentred()
{
    adjustSize();
    const QWidget *over = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect area = over && over->isVisible() ? over->frameGeometry()
        : screen()                               ? screen()->availableGeometry()
                                                 : QRect();
    if (area.isValid())
        move(area.center() - rect().center());
    show();
    raise();
}
