#include "shell/main/Mainform.h"

#include "comms/ui/Terminal.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

// One menu entry: its name, caption, sub-entries and how it starts.
struct TMainform::Item {
    const char *name;
    const char *caption;
    QList<Item> children = {};
    bool checked = false;
    bool hidden = false;
    bool separatorBefore = false;
};

namespace {

// The tool bar: button name, caption with and without accelerators, and the
// menu it drops down (empty for a plain button).
struct ToolButtonText {
    const char *name;
    const char *caption;
    const char *doorwayCaption;
    const char *menu;
};
constexpr ToolButtonText toolButtons[] = {
    {"PhoneBtn", "&Phone", "Phone", "PhoneMenu"},
    {"DirectBtn", "&Direct", "Quick", ""},
    {"TerminalBtn", "&Setup", "Setup", "TermMenu"},
    {"TransferBtn", "&Transfer", "Transfer", "TransMenu1"},
    {"ScriptsBtn", "S&cript", "Scripts", "scrmenu"},
    {"PrintBtn", "Pr&int", "Print", "Printmenu"},
    {"HelpBtn", "&Help", "Help", "Helpmenu1"},
    {"ExitBtn", "E&xit", "Exit", ""},
};

struct LightText {
    const char *name;
    const char *hint;
};
constexpr LightText lightTexts[] = {
    {"DCDL", "Carrier"},
    {"CTSL", "Clear to send"},
    {"DSRL", "Data set ready"},
    {"RXDL", "Receive data"},
    {"TXDL", "Transmit data"},
};

struct StatusButtonText {
    const char *name;
    const char *caption;
    const char *hint;
};
constexpr StatusButtonText statusButtonTexts[] = {
    {"btnFontUp", "+ ", "Increase font size"},
    {"btnFontDown", "- ", "Decrease font size"},
    {"btnHang", "X", "Hangup connection"},
    {"btnDial", "#", "Show connections"},
};

constexpr int panel0Width = 150;
constexpr int panel1Width = 200;

} // namespace

TMainform::TMainform(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Mainform"));
    setWindowTitle(applicationTitle());
    terminal_ = new Terminal(this);
    terminal_->setObjectName(QStringLiteral("Terminal"));
    setCentralWidget(terminal_);

    using I = Item;
    buildMenu(QStringLiteral("PhoneMenu"),
        {I{"Connections1", "&Connections"}, I{"Hangup1", "&Hangup"},
            I{"CaptureSession1", "Ca&pture Session",
                {I{"Start1", "Start"}, I{"Stop1", "Stop", {}, true}, I{"View1", "View"},
                    I{"Options1", "Options",
                        {I{"Overwrite1", "Overwrite", {}, true}, I{"Append1", "Append"}}}}},
            I{"Status1", "&Status"}, I{"FTP1", "FTP", {}, false, true}},
        this);
    buildMenu(QStringLiteral("TermMenu"),
        {I{"Setup1", "&Setup",
             {I{"Terminaloptions1", "&Terminal options"}, I{"Sounds1", "&Sounds"},
                 I{"Autostart1", "&Auto start"}, I{"Telnet1", "T&elnet"},
                 I{"Logging1", "&Logging",
                     {I{"ApplicationLogging1", "&Application Logging"},
                         I{"ProtocolLogging1", "&Protocol Logging"},
                         I{"ComportLogging1", "&Comport Logging"}}},
                 I{"Directories1", "&Directories"}, I{"Alias1", "Al&ias"},
                 I{"Comportnaming1", "Comport naming"}, I{"AdminPassword1", "Admin Password"}}},
            I{"LocalEcho1", "&Local Echo", {}, false, false, true}, I{"ScrollBack1", "S&crollBack"},
            I{"ShowCommandline1", "Show Command line", {}, false, false, true},
            I{"ShowMacros1", "Show &Macros"}, I{"ShowHints1", "&Show Hints"},
            I{"ShowComStat1", "Show Com Stat"},
            I{"Keyboard1", "&Keyboard",
                {I{"KeyboardSetup1", "&Setup"}, I{"Numeric1", "&Numeric", {}, true},
                    I{"Application1", "&Application"}},
                false, false, true}},
        this);
    buildMenu(QStringLiteral("TransMenu1"),
        {I{"Send1", "&Send"}, I{"Recieve1", "&Recieve"}, I{"Sendpurebinary1", "Send pure &binary"},
            I{"Receivepurebinary1", "R&eceive pure binary"}, I{"TransferOptions1", "&Options"},
            I{"Viewdownloaddir1", "View &download dir"}, I{"Viewuploaddir1", "View &upload dir"}},
        this);
    buildMenu(QStringLiteral("scrmenu"),
        {I{"Run1", "&Run"}, I{"NewEdit1", "&New / Edit"}, I{"ScriptStop1", "&Stop"}, I{"Record1", "R&ecord"},
            I{"HaltRecord1", "&Halt Record"}},
        this);
    buildMenu(QStringLiteral("Printmenu"),
        {I{"PrintWindow1", "Print &Window"}, I{"PrintBuffer1", "Print &Buffer"},
            I{"PrinterFont1", "Printer &Font"}, I{"PrintEcho1", "Print Echo"}},
        this);
    buildMenu(QStringLiteral("Helpmenu1"),
        {I{"Help1", "&Help"}, I{"About1", "&About"}, I{"Companywebsite1", "&Company web site"}}, this);
    buildMenu(QStringLiteral("TermPop"),
        {I{"Copy1", "Copy"}, I{"Paste1", "Paste"}, I{"Clear1", "Clear"},
            I{"Print1", "Print",
                {I{"PopPrintBuffer1", "Print Buffer"}, I{"PopPrintWindow1", "Print Window"}}},
            I{"CaptureScreen1", "Capture Screen"}, I{"CancelTransfer1", "Cancel Transfer"},
            I{"PopLocalEcho1", "Local Echo"}, I{"Font1", "Font"}, I{"PopScrollBack1", "Scroll Back"},
            I{"Comport1", "Comport",
                {I{"DropDTR1", "Drop DTR"}, I{"RaiseDTR1", "Raise DTR"}, I{"RaiseRTS1", "Raise RTS"},
                    I{"DropRTS1", "Drop RTS"}}}},
        this);

    buildToolBar();
    buildStatusBar();
    resize(652, 412);
}

QMenu *TMainform::buildMenu(const QString &name, const QList<Item> &items, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(name);
    menus_.insert(name, menu);
    for (const Item &item : items) {
        if (item.separatorBefore)
            menu->addSeparator();
        QAction *action = nullptr;
        if (!item.children.isEmpty()) {
            QMenu *sub = buildMenu(QString::fromLatin1(item.name), item.children, menu);
            sub->setTitle(QString::fromUtf8(item.caption));
            action = menu->addMenu(sub);
        } else {
            action = menu->addAction(QString::fromUtf8(item.caption));
            // No entry acts before its controller exists.
            action->setEnabled(false);
        }
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        action->setVisible(!item.hidden);
        entries_.insert(action->objectName(), action);
    }
    return menu;
}

void TMainform::buildToolBar()
{
    toolBar_ = addToolBar(QStringLiteral("ToolBar1"));
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(16, 16));
    // The eight buttons share the bar's width equally, whatever its size.
    auto *row = new QWidget(toolBar_);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    for (const ToolButtonText &text : toolButtons) {
        auto *button = new QToolButton(row);
        button->setObjectName(QString::fromLatin1(text.name));
        button->setText(QString::fromLatin1(text.caption));
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        if (QMenu *dropDown = menu(QString::fromLatin1(text.menu))) {
            // The body opens the menu as the arrow does.
            button->setMenu(dropDown);
            button->setPopupMode(QToolButton::InstantPopup);
        }
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        layout->addWidget(button, 1);
        buttons_.insert(button->objectName(), button);
        toolButtons_ << button;
    }
    toolBar_->addWidget(row);
    connect(button(QStringLiteral("ExitBtn")), &QToolButton::clicked, this, &TMainform::exitClicked);
    button(QStringLiteral("DirectBtn"))->setEnabled(false);
}

void TMainform::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);

    auto *panel0 = new QWidget(bar);
    auto *row = new QHBoxLayout(panel0);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(2);
    for (const LightText &text : lightTexts) {
        auto *light = new QFrame(panel0);
        light->setObjectName(QString::fromLatin1(text.name));
        light->setFixedSize(5, 15);
        light->setAutoFillBackground(true);
        light->setToolTip(QString::fromLatin1(text.hint));
        row->addWidget(light);
        lights_ << light;
    }
    for (const StatusButtonText &text : statusButtonTexts) {
        auto *statusButton = new QToolButton(panel0);
        statusButton->setObjectName(QString::fromLatin1(text.name));
        statusButton->setText(QString::fromLatin1(text.caption));
        statusButton->setToolTip(QString::fromLatin1(text.hint));
        statusButton->setAutoRaise(true);
        statusButton->setEnabled(false);
        row->addWidget(statusButton);
        buttons_.insert(statusButton->objectName(), statusButton);
        statusButtons_ << statusButton;
    }
    clock_ = new QLabel(QStringLiteral("00:00:00"), panel0);
    clock_->setObjectName(QStringLiteral("lblTime"));
    row->addWidget(clock_);
    // 150 pixels at the design's font; wider when the desktop's font needs it
    // (the layout measures the polished children).
    panel0->setMinimumWidth(panel0Width);
    panel0->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    bar->addWidget(panel0);

    showLights(false, false, false, false, false);

    linePanel_ = new QLabel(bar);
    linePanel_->setObjectName(QStringLiteral("linePanel"));
    linePanel_->setFixedWidth(panel1Width);
    bar->addWidget(linePanel_);
    statusPanel_ = new QLabel(bar);
    statusPanel_->setObjectName(QStringLiteral("statusPanel"));
    // A long status text is cut at the window's edge rather than squeezing
    // the lights, buttons and clock.
    statusPanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(statusPanel_, 1);
}

void TMainform::DisplayTerm(const QString &text)
{
    constexpr int noticeColour = 11; // bright yellow
    terminal_->setColours(noticeColour, background_);
    terminal_->writeText(text.toLatin1() + "\n\r");
    terminal_->repaintNow();
    terminal_->setColours(foreground_, background_);
}

void TMainform::setTerminalColours(int foreground, int background)
{
    foreground_ = foreground;
    background_ = background;
    terminal_->setColours(foreground, background);
}

WindowBars TMainform::windowBars() const
{
    // The layout gives each bar its preferred height; measured that way it holds before the first show.
    WindowBars bars;
    bars.toolBar = toolBar_->sizeHint().height();
    bars.statusBar = statusBar()->sizeHint().height();
    bars.statusBarVisible = !statusBar()->isHidden();
    return bars;
}

void TMainform::setTerminalActive(bool active)
{
    terminal_->setActive(active);
}

void TMainform::setBPlusDetection(bool on)
{
    terminal_->termemu().setBPlusDetection(on);
}

void TMainform::focusTerminal()
{
    terminal_->setFocus();
}

void TMainform::showLights(bool dcd, bool cts, bool dsr, bool rxd, bool txd)
{
    const bool lit[] = {dcd, cts, dsr, rxd, txd};
    for (int i = 0; i < lights_.size(); ++i)
        setLight(lights_[i], lit[i]);
}

void TMainform::setLight(QFrame *light, bool lit)
{
    QPalette palette = light->palette();
    palette.setColor(QPalette::Window, lit ? QColor(Qt::red) : QColor(128, 0, 0)); // unlit: maroon
    light->setPalette(palette);
}

void TMainform::setLinePanel(const QString &text)
{
    linePanel_->setText(text);
}

void TMainform::setStatusPanel(const QString &text)
{
    statusPanel_->setText(text);
}

QString TMainform::linePanel() const
{
    return linePanel_->text();
}

QString TMainform::statusPanel() const
{
    return statusPanel_->text();
}

void TMainform::setClock(const QString &text)
{
    clock_->setText(text);
}

void TMainform::DisableBtns(bool enable)
{
    for (const char *name : {"PhoneBtn", "TerminalBtn", "TransferBtn", "ScriptsBtn", "HelpBtn", "ExitBtn",
             "PrintBtn", "DirectBtn"})
        button(QString::fromLatin1(name))->setEnabled(enable);
    for (const char *name : {"Hangup1", "ScrollBack1"})
        entry(QString::fromLatin1(name))->setEnabled(enable);
}

void TMainform::setToolBarEnabled(bool enabled)
{
    toolBar_->setEnabled(enabled);
}

void TMainform::clearTerminal()
{
    terminal_->clearScreen();
}

void TMainform::restoreWindow()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TMainform::ShowBHint(bool show)
{
    for (int i = 0; i < toolButtons_.size(); ++i)
        toolButtons_[i]->setToolTip(
            show ? QString::fromLatin1(toolButtons[i].caption).remove(QLatin1Char('&')) : QString());
    for (int i = 0; i < statusButtons_.size(); ++i)
        statusButtons_[i]->setToolTip(show ? QString::fromLatin1(statusButtonTexts[i].hint) : QString());
    for (int i = 0; i < lights_.size(); ++i)
        lights_[i]->setToolTip(show ? QString::fromLatin1(lightTexts[i].hint) : QString());
}

void TMainform::Setcaptions(bool doorway)
{
    const bool hasAccelerators = button(QStringLiteral("PhoneBtn"))->text().contains(QLatin1Char('&'));
    if (doorway == !hasAccelerators)
        return;
    for (int i = 0; i < toolButtons_.size(); ++i)
        toolButtons_[i]->setText(
            QString::fromLatin1(doorway ? toolButtons[i].doorwayCaption : toolButtons[i].caption));
}

void TMainform::showStatusBar(bool show)
{
    QStatusBar *bar = statusBar();
    if (bar->isVisibleTo(this) == show)
        return;
    const int height = bar->sizeHint().height();
    bar->setVisible(show);
    resize(width(), this->height() + (show ? height : -height));
}

void TMainform::closeEvent(QCloseEvent *event)
{
    if (closeQuery_ && !closeQuery_()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

namespace {

QStringList localFiles(const QMimeData *data)
{
    QStringList paths;
    if (!data)
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

} // namespace

void TMainform::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TMainform::dropEvent(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    emit filesDropped(paths);
}
