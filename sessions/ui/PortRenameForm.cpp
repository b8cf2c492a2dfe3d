#include "sessions/ui/PortRenameForm.h"

#include "comms/line/ComPortLabels.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

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

    auto *portColumn = new QVBoxLayout;
    portColumn->addWidget(portLabel);
    portColumn->addWidget(ports_, 1);
    auto *nameColumn = new QVBoxLayout;
    nameColumn->addWidget(nameLabel);
    nameColumn->addWidget(name_);
    nameColumn->addStretch(1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(portColumn, 3);
    columns->addLayout(nameColumn, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(buttons);
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
