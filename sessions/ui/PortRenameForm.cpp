#include "sessions/ui/PortRenameForm.h"

#include "comms/line/ComPortLabels.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

PortRenameForm::PortRenameForm(PortNaming &naming, const ComDevices::Override &devices, QWidget *parent)
    : QDialog(parent)
    , naming_(naming)
    , ports_(new QListWidget(this))
    , name_(new QLineEdit(this))
{
    setObjectName(QStringLiteral("ComNameForm"));
    setWindowTitle(QStringLiteral("Comport Renameing"));
    ports_->setObjectName(QStringLiteral("lstComports"));
    name_->setObjectName(QStringLiteral("txtNewName"));
    name_->setMaxLength(PortNaming::maxNameLength);

    const ComPortLabels labels(devices);
    for (int number = 1; number <= ComDevices::maxComNumber; ++number) {
        auto *item = new QListWidgetItem(labels.label(number, QString::number(number)), ports_);
        item->setData(Qt::UserRole, number);
    }

    auto *portLabel = new QLabel(QStringLiteral("Comport"), this);
    portLabel->setBuddy(ports_);
    auto *nameLabel = new QLabel(QStringLiteral("New Name"), this);
    nameLabel->setBuddy(name_);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->addWidget(portLabel, 0, 0);
    grid->addWidget(nameLabel, 0, 1);
    grid->addWidget(ports_, 1, 0, 2, 1);
    grid->addWidget(name_, 1, 1, Qt::AlignTop);
    grid->addWidget(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    resize(560, 360);

    connect(ports_, &QListWidget::currentRowChanged, this, &PortRenameForm::select);
    ports_->setCurrentRow(0);
}

void PortRenameForm::select(int row)
{
    saveEdit();
    QListWidgetItem *item = ports_->item(row);
    shown_ = item ? item->data(Qt::UserRole).toInt() : 0;
    name_->setText(shown_ ? naming_.storedName(shown_) : QString());
    name_->setModified(false);
}

void PortRenameForm::saveEdit()
{
    if (shown_ == 0 || !name_->isModified())
        return;
    naming_.rename(shown_, name_->text());
    name_->setModified(false);
}

void PortRenameForm::done(int result)
{
    saveEdit();
    QDialog::done(result);
}

QtPortRenameDialog::QtPortRenameDialog(QWidget *parent, ComDevices::Override devices)
    : parent_(parent)
    , devices_(std::move(devices))
{ }

void QtPortRenameDialog::renamePorts(PortNaming &naming)
{
    PortRenameForm form(naming, devices_, parent_);
    form.exec();
}
