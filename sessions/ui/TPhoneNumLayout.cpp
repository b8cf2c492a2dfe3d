// The controls of "Session properties" and their layout.
#include "sessions/ui/TPhoneNum.h"

#include "extras/ui/SessionIcons.h"
#include "shell/HelpService.h"
#include "shell/ui/DialogButtons.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

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
