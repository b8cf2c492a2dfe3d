#include "sessions/ui/TPhoneNum.h"

#include "comms/line/ComPortLabels.h"
#include "extras/ui/SessionIcons.h"
#include "sessions/DeviceList.h"
#include "sessions/EntryLineSettings.h"
#include "sessions/SessionState.h"
#include "shell/HelpService.h"
#include "shell/UserPrompt.h"
#include "shell/ui/DialogButtons.h"
#include "shell/ui/FormPlacement.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int numberRole = Qt::UserRole;
constexpr int nameRole = Qt::UserRole + 1;

const QString onlineText = QStringLiteral(
    "You are currently online. You cannot change any devices or port settings at this time.");
const QString configureHint
    = QStringLiteral("Click here to select advanced configuration for the selected modem or comport.");
const QString protocolOptionsHint
    = QStringLiteral("Click here to customize file transfer protocol options for this entry");

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit *edit(const char *name, int maxLength, QWidget *parent)
{
    auto *field = named(new QLineEdit(parent), name);
    field->setMaxLength(maxLength);
    return field;
}

QComboBox *list(const char *name, const QStringList &items, QWidget *parent)
{
    auto *combo = named(new QComboBox(parent), name);
    combo->addItems(items);
    return combo;
}

QSpinBox *counter(const char *name, QWidget *parent)
{
    auto *spin = named(new QSpinBox(parent), name);
    spin->setRange(0, 99999);
    return spin;
}

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

void pair(QRadioButton *first, QRadioButton *second, QObject *owner)
{
    auto *group = new QButtonGroup(owner);
    group->addButton(first);
    group->addButton(second);
}

void choose(QComboBox *combo, int item)
{
    combo->setCurrentIndex(item >= 0 && item < combo->count() ? item : 0);
}

} // namespace

TPhoneNum::TPhoneNum(EntryEditorServices services, QWidget *parent)
    : QDialog(parent)
    , services_(std::move(services))
{
    setObjectName(QStringLiteral("PhoneNum"));
    setWindowTitle(QStringLiteral("Session properties"));

    // Widgets are made in tab order.
    auto *top = new QHBoxLayout;
    name_ = edit("edName", 20, this);
    top->addWidget(caption(QStringLiteral("&Name"), name_, this));
    top->addWidget(name_, 1);
    icon_ = named(new QLabel(this), "imgIcon");
    icon_->setFixedSize(SessionIcons::iconSize + 8, SessionIcons::iconSize + 8);
    icon_->setAlignment(Qt::AlignCenter);
    icon_->setFrameShape(QFrame::StyledPanel);
    icon_->setFocusPolicy(Qt::StrongFocus);
    icon_->setToolTip(QStringLiteral("Doubleclick to change icon"));
    icon_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *changeIcon = new QAction(QStringLiteral("Change Icon"), icon_);
    connect(changeIcon, &QAction::triggered, this, &TPhoneNum::ChangeIconClick);
    icon_->addAction(changeIcon);
    icon_->installEventFilter(this);
    top->addWidget(icon_);

    auto *sides = new QGridLayout;
    sides->addWidget(buildConnection(), 0, 0, 1, 2);
    sides->addWidget(buildSerial(), 1, 0);
    sides->addWidget(buildTcp(), 1, 1);
    sides->setColumnStretch(0, 1);
    sides->setColumnStretch(1, 1);

    QWidget *session = buildSession();
    QDialogButtonBox *buttons = OkCancelHelpButtons(*this);
    connect(
        buttons, &QDialogButtonBox::helpRequested, this, [this] { services_.help.showHelp(helpContext); });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(sides);
    layout->addWidget(session);
    layout->addWidget(buttons);

    for (QWidget *widget : QList<QWidget *>{
             name_, serial_, tcp_, phone_, device_, answer_, script_, address_, tcpPort_, client_, server_})
        widget->installEventFilter(this);
    fillDevices();
    serial_->setChecked(true);
    client_->setChecked(true);
    updateContype();
}

QWidget *TPhoneNum::buildConnection()
{
    auto *box = new QGroupBox(QStringLiteral("Connection type"), this);
    serial_ = named(new QRadioButton(QStringLiteral("&Serial"), box), "rbSerial");
    tcp_ = named(new QRadioButton(QStringLiteral("&TCP/IP"), box), "rbTcp");
    pair(serial_, tcp_, this);
    connect(serial_, &QRadioButton::toggled, this, [this] { updateContype(); });
    auto *row = new QHBoxLayout(box);
    row->addWidget(serial_);
    row->addWidget(tcp_);
    row->addStretch();
    return box;
}

QWidget *TPhoneNum::buildSerial()
{
    auto *box = new QGroupBox(QStringLiteral("Serial"), this);
    phone_ = edit("edPhone", 40, box);
    device_ = named(new QComboBox(box), "cmbDevice");
    device_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    device_->setMinimumContentsLength(24);
    connect(device_, &QComboBox::activated, this, &TPhoneNum::DeviceChange);
    configure_ = named(new QPushButton(QStringLiteral("Configure de&vice"), box), "btnConfigure");
    connect(configure_, &QPushButton::clicked, this, &TPhoneNum::ConfigureClick);
    answer_ = named(new QCheckBox(QStringLiteral("&Answer phone instead of dialing"), box), "chkAnswer");
    last_ = named(new QLabel(box), "lblLast");

    auto *form = new QFormLayout(box);
    form->addRow(QStringLiteral("&Phone Number"), phone_);
    auto *deviceRow = new QHBoxLayout;
    deviceRow->addWidget(device_, 1);
    deviceRow->addWidget(configure_);
    form->addRow(caption(QStringLiteral("&Device"), device_, box), deviceRow);
    form->addRow(answer_);
    lastLabel_ = new QLabel(QStringLiteral("Last connect"), box);
    form->addRow(lastLabel_, last_);
    return box;
}

QWidget *TPhoneNum::buildTcp()
{
    auto *box = new QGroupBox(QStringLiteral("TCP/IP"), this);
    address_ = edit("edAddress", 40, box);
    address_->setMinimumWidth(address_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 26);
    tcpPort_ = edit("edPort", 10, box);
    client_ = named(new QRadioButton(QStringLiteral("C&lient"), box), "rbClient");
    server_ = named(new QRadioButton(QStringLiteral("Ser&ver"), box), "rbServer");
    pair(client_, server_, this);

    auto *form = new QFormLayout(box);
    form->addRow(QStringLiteral("&IP Address"), address_);
    form->addRow(QStringLiteral("Po&rt"), tcpPort_);
    auto *modes = new QHBoxLayout;
    modes->addWidget(client_);
    modes->addWidget(server_);
    modes->addStretch();
    form->addRow(modes);
    return box;
}

QWidget *TPhoneNum::buildSession()
{
    auto *box = new QGroupBox(QStringLiteral("Session"), this);
    auto *grid = new QGridLayout(box);

    script_ = edit("edScript", 80, box);
    auto *find = named(new QPushButton(QStringLiteral("&Find"), box), "btnFind");
    auto *make = named(new QPushButton(QStringLiteral("Ne&w"), box), "btnNew");
    edit_ = named(new QPushButton(QStringLiteral("&Edit"), box), "btnEdit");
    connect(find, &QPushButton::clicked, this, &TPhoneNum::FindClick);
    connect(make, &QPushButton::clicked, this, &TPhoneNum::NewClick);
    connect(edit_, &QPushButton::clicked, this, &TPhoneNum::EditClick);
    connect(script_, &QLineEdit::textChanged, this,
        [this](const QString &text) { edit_->setEnabled(!text.isEmpty()); });
    edit_->setEnabled(false);
    auto *scriptRow = new QHBoxLayout;
    scriptRow->addWidget(script_, 1);
    scriptRow->addWidget(find);
    scriptRow->addWidget(make);
    scriptRow->addWidget(edit_);
    grid->addWidget(caption(QStringLiteral("Start&up Script"), script_, box), 0, 0);
    grid->addLayout(scriptRow, 0, 1, 1, 3);

    protocol_ = list("cmbProtocol",
        {"No Default", "Xmodem", "Xmodem CRC", "Xmodem 1K", "Xmodem 1KG", "Ymodem", "YmodemG", "Zmodem",
            "Kermit", "Ascii", "B+"},
        box);
    terminal_ = list("cmbTerminal", {"ANSI", "VT52", "VT100", "ANSI BBS", "VT220"}, box);
    keyboard_ = list("cmbKeyboard", {"ANSI", "VT52", "VT100", "TN3270", "VT220"}, box);
    retries_ = counter("spnRetries", box);
    wait_ = counter("spnWait", box);
    protocolOptions_
        = named(new QPushButton(QStringLiteral("File Transfer Opt&ions"), box), "btnProtocolOptions");
    connect(protocolOptions_, &QPushButton::clicked, this, [this] { services_.editProtocolOptions(); });

    grid->addWidget(caption(QStringLiteral("Default p&rotocol"), protocol_, box), 1, 0);
    grid->addWidget(protocol_, 1, 1);
    grid->addWidget(caption(QStringLiteral("Ter&minal Emulation"), terminal_, box), 2, 0);
    grid->addWidget(terminal_, 2, 1);
    grid->addWidget(caption(QStringLiteral("&Keyboard Emulation"), keyboard_, box), 3, 0);
    grid->addWidget(keyboard_, 3, 1);
    grid->addWidget(caption(QStringLiteral("Num&ber of reconnection attempts"), retries_, box), 1, 2);
    grid->addWidget(retries_, 1, 3);
    grid->addWidget(
        caption(QStringLiteral("Number of seconds to wait before reconnectin&g"), wait_, box), 2, 2);
    grid->addWidget(wait_, 2, 3);
    grid->addWidget(protocolOptions_, 3, 2, 1, 2);
    grid->setColumnStretch(1, 1);
    return box;
}

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
    const QString current = script_->text();
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

void TPhoneNum::EditClick()
{
    const QString file = script_->text();
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
    if (next)
        next->setFocus();
}
