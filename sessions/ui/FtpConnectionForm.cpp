#include "sessions/ui/FtpConnectionForm.h"

#include "extras/ui/SessionIcons.h"
#include "sessions/ui/DialogButtons.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

QLineEdit *edit(const char *name, int maxLength, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMaxLength(maxLength);
    return field;
}

} // namespace

FtpConnectionForm::FtpConnectionForm(const SessionIcons &icons, IconChooser chooseIcon, QWidget *parent)
    : QDialog(parent)
    , icons_(icons)
    , chooseIcon_(std::move(chooseIcon))
    , name_(edit("edName", 20, this))
    , host_(edit("edHost", 30, this))
    , port_(edit("edPort", 5, this))
    , login_(edit("edLogin", 30, this))
    , password_(edit("edPassword", 20, this))
    , passive_(new QCheckBox(QStringLiteral("Passive"), this))
    , icon_(new QListWidget(this))
{
    setObjectName(QStringLiteral("FtpConnectionForm"));
    setWindowTitle(QStringLiteral("New FTP Connection"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    passive_->setObjectName(QStringLiteral("chkPassive"));
    passive_->hide();

    icon_->setObjectName(QStringLiteral("lvIcon"));
    icon_->setViewMode(QListView::IconMode);
    icon_->setIconSize(QSize(SessionIcons::iconSize, SessionIcons::iconSize));
    icon_->setWordWrap(true);
    icon_->setGridSize(QSize(220, SessionIcons::iconSize + 40));
    icon_->setFixedHeight(SessionIcons::iconSize + 48);
    icon_->addItem(QStringLiteral("Double click here to change the current icon"));
    icon_->setCurrentRow(0);
    connect(icon_, &QListWidget::itemDoubleClicked, this, &FtpConnectionForm::ChangeIconClick);
    icon_->installEventFilter(this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Connection &Name"), name_);
    form->addRow(QStringLiteral("FTP Host na&me"), host_);
    form->addRow(QStringLiteral("Po&rt"), port_);
    form->addRow(QStringLiteral("&Login Name"), login_);
    form->addRow(QStringLiteral("&Password"), password_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(passive_);
    layout->addWidget(icon_);
    layout->addWidget(okCancelButtons(this));
}

void FtpConnectionForm::setFields(const FtpEditorFields &fields)
{
    name_->setText(fields.name);
    host_->setText(fields.host);
    port_->setText(fields.port);
    login_->setText(fields.login);
    password_->setText(fields.password);
    passive_->setChecked(fields.passive);
    iconIndex_ = fields.iconIndex;
    iconName_ = fields.iconName;
    showIcon();
}

FtpEditorFields FtpConnectionForm::fields() const
{
    FtpEditorFields fields;
    fields.name = name_->text();
    fields.host = host_->text();
    fields.port = port_->text();
    fields.login = login_->text();
    fields.password = password_->text();
    fields.passive = passive_->isChecked();
    fields.iconIndex = iconIndex_;
    fields.iconName = iconName_;
    return fields;
}

bool FtpConnectionForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == icon_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            ChangeIconClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FtpConnectionForm::ChangeIconClick()
{
    int index = iconIndex_;
    QString iconName = iconName_;
    if (!chooseIcon_(index, iconName))
        return;
    iconIndex_ = index;
    iconName_ = iconName;
    showIcon();
}

void FtpConnectionForm::showIcon()
{
    icon_->item(0)->setIcon(QIcon(QPixmap::fromImage(icons_.image(iconIndex_))));
}
