#include "sessions/ui/TPhoneNum.h"

#include "comms/line/ComPortLabels.h"
#include "extras/ui/SessionIcons.h"
#include "sessions/DeviceList.h"
#include "sessions/EntryLineSettings.h"
#include "sessions/SessionState.h"
#include "shell/UserPrompt.h"
#include "shell/ui/FormPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {

constexpr int numberRole = Qt::UserRole;
constexpr int nameRole = Qt::UserRole + 1;

const QString onlineText = QStringLiteral(
    "You are currently online. You cannot change any devices or port settings at this time.");
const QString configureHint
    = QStringLiteral("Click here to select advanced configuration for the selected modem or comport.");
const QString protocolOptionsHint
    = QStringLiteral("Click here to customize file transfer protocol options for this entry");
void choose(QComboBox *combo, int item)
{
    combo->setCurrentIndex(item >= 0 && item < combo->count() ? item : 0);
}

} // namespace

void TPhoneNum::fillDevices()
{
    const ComPortLabels labels(services_.comDevices);
    QList<DeviceEntry> lineDevices;
    QList<DeviceEntry> ports;
    for (const DeviceEntry &entry : services_.devices.entries())
        (entry.number == 0 ? lineDevices : ports) << entry;
    ports = labels.presentFirst(ports, [](const DeviceEntry &entry) { return entry.number; });
    for (const DeviceEntry &entry : lineDevices + ports) {
        device_->addItem(entry.number == 0 ? entry.name : labels.label(entry.number, entry.name));
        device_->setItemData(device_->count() - 1, entry.number, numberRole);
        device_->setItemData(device_->count() - 1, entry.name, nameRole);
    }
}

void TPhoneNum::setFields(const SessionEditorFields &fields)
{
    name_->setText(fields.name);
    phone_->setText(fields.phone);
    script_->setText(fields.script);
    last_->setText(fields.last);
    address_->setText(fields.address);
    tcpPort_->setText(fields.tcpPort);
    (fields.tcp ? tcp_ : serial_)->setChecked(true);
    (fields.server ? server_ : client_)->setChecked(true);
    answer_->setChecked(fields.answer);
    choose(protocol_, fields.protocol);
    choose(terminal_, fields.terminal);
    choose(keyboard_, fields.keyboard);
    retries_->setValue(fields.retries);
    wait_->setValue(fields.waitSeconds);
    iconIndex_ = fields.iconIndex;
    iconName_ = fields.iconName;
    // An icon file name still in the list names the icon, wherever it now is.
    const int named = services_.icons.indexOf(iconName_);
    if (named >= 0)
        iconIndex_ = named;

    const QString device = services_.state.currentEntry().get(PhoneField::Device);
    const int shown = device_->findData(device, nameRole, Qt::MatchExactly);
    device_->setCurrentIndex(shown >= 0 ? shown : 0);
    // A connected line keeps its device.
    if (!services_.portOpen())
        DeviceChange();
    updateContype();
}

SessionEditorFields TPhoneNum::fields() const
{
    SessionEditorFields fields;
    fields.name = name_->text();
    fields.phone = phone_->text();
    fields.script = script_->text();
    fields.last = last_->text();
    fields.address = address_->text();
    fields.tcpPort = tcpPort_->text();
    fields.tcp = tcp_->isChecked();
    fields.server = server_->isChecked();
    fields.answer = answer_->isChecked();
    fields.protocol = protocol_->currentIndex();
    fields.terminal = terminal_->currentIndex();
    fields.keyboard = keyboard_->currentIndex();
    fields.iconIndex = iconIndex_;
    fields.iconName = iconName_;
    fields.retries = retries_->value();
    fields.waitSeconds = wait_->value();
    return fields;
}

bool TPhoneNum::run()
{
    RestoreFormPlacement(services_.settings, *this);
    if (services_.portOpen())
        services_.prompt.information(onlineText);
    updateContype();
    return exec() == QDialog::Accepted;
}

void TPhoneNum::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    showIcon();
    setHints();
}

void TPhoneNum::DeviceChange()
{
    const int item = device_->currentIndex();
    if (item < 0)
        return;
    const DeviceEntry device{
        device_->itemData(item, nameRole).toString(), device_->itemData(item, numberRole).toInt()};
    PhonebookEntry entry = services_.state.currentEntry();
    EntryLineSettings::chooseDevice(entry, device);
    services_.state.setCurrentEntry(entry);
    services_.selectLineDevice(device.number == 0 ? device.name : QString());
}

void TPhoneNum::updateContype()
{
    const bool serial = serial_->isChecked();
    const bool deviceChangeable = serial && !services_.portOpen();
    for (QWidget *widget : QList<QWidget *>{address_, tcpPort_, client_, server_})
        widget->setEnabled(!serial);
    for (QWidget *widget : QList<QWidget *>{phone_, lastLabel_, last_, answer_})
        widget->setEnabled(serial);
    device_->setEnabled(deviceChangeable);
    configure_->setEnabled(deviceChangeable);
}

void TPhoneNum::ConfigureClick()
{
    const int item = device_->currentIndex();
    if (item >= 0 && device_->itemData(item, numberRole).toInt() == 0) {
        services_.configureLineDevice(device_->itemData(item, nameRole).toString());
        return;
    }
    PhonebookEntry entry = services_.state.currentEntry();
    ComportParameters parameters = EntryLineSettings::parameters(entry);
    if (!services_.quickDialogs.comportParameters(parameters))
        return;
    EntryLineSettings::store(entry, parameters);
    services_.state.setCurrentEntry(entry);
}

void TPhoneNum::FindClick()
{
    FileRequest request;
    request.caption = QStringLiteral("Open");
    const QString current = scriptPath();
    request.folder = !current.isEmpty() && QFileInfo::exists(current) ? current : services_.scriptDir();
    request.filter = QStringLiteral("Script files (*.scr);;Any file (*)");
    const QStringList chosen = services_.prompt.chooseFiles(request);
    if (!chosen.isEmpty())
        script_->setText(chosen.first());
}

void TPhoneNum::NewClick()
{
    if (!script_->text().isEmpty()
        && !services_.prompt.confirm(QStringLiteral("You allready have a script. Make a new one?")))
        return;
    if (const std::optional<QString> saved = services_.editScript(QString()))
        script_->setText(*saved);
}

QString TPhoneNum::scriptPath() const
{
    // A relative name is in the script folder, as when the script starts.
    const QString name = script_->text();
    return name.isEmpty() || !QFileInfo(name).isRelative() ? name
                                                           : QDir(services_.scriptDir()).filePath(name);
}

void TPhoneNum::EditClick()
{
    const QString file = scriptPath();
    if (!QFileInfo::exists(file)) {
        services_.prompt.warning(QStringLiteral("Script does not exist"));
        return;
    }
    if (const std::optional<QString> saved = services_.editScript(file))
        script_->setText(*saved);
}

void TPhoneNum::ChangeIconClick()
{
    int index = iconIndex_;
    QString iconName = iconName_;
    if (services_.chooseIcon(index, iconName)) {
        iconIndex_ = index;
        iconName_ = iconName;
        showIcon();
    }
    name_->setFocus();
}

void TPhoneNum::showIcon()
{
    QPixmap picture = QPixmap::fromImage(services_.icons.image(iconIndex_));
    picture.setDevicePixelRatio(1.0);
    icon_->setPixmap(picture);
}

void TPhoneNum::setHints()
{
    const bool on = services_.showHints();
    device_->setToolTip(on ? configureHint : QString());
    configure_->setToolTip(on ? configureHint : QString());
    protocolOptions_->setToolTip(on ? protocolOptionsHint : QString());
}

void TPhoneNum::accept()
{
    if (name_->text().isEmpty()) {
        services_.prompt.warning(QStringLiteral("You must assign a name to the session"));
        name_->setFocus();
        return;
    }
    QDialog::accept();
}

void TPhoneNum::done(int result)
{
    SaveFormPlacement(services_.settings, *this);
    QDialog::done(result);
}

bool TPhoneNum::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == icon_) {
        const bool enter = event->type() == QEvent::KeyPress
            && QList<int>{Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}.contains(
                static_cast<QKeyEvent *>(event)->key());
        if (event->type() == QEvent::MouseButtonDblClick || enter) {
            ChangeIconClick();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            enterPressed(watched);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TPhoneNum::enterPressed(QObject *watched)
{
    QWidget *next = nullptr;
    if (watched == name_)
        next = serial_;
    else if (watched == serial_)
        next = tcp_;
    else if (watched == tcp_)
        next = serial_->isChecked() ? static_cast<QWidget *>(phone_) : address_;
    else if (watched == phone_)
        next = device_->isEnabled() ? static_cast<QWidget *>(device_) : answer_;
    else if (watched == device_)
        next = answer_;
    else if (watched == answer_)
        next = script_;
    else if (watched == address_)
        next = tcpPort_;
    else if (watched == tcpPort_)
        next = client_;
    else if (watched == client_)
        next = server_;
    // As by Tab: an edit reached this way has its text selected, so typing replaces it.
    if (next)
        next->setFocus(Qt::TabFocusReason);
}
