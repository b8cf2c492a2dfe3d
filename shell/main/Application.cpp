#include "shell/main/Application.h"

#include "comms/ui/Terminal.h"
#include "extras/ShippedIcons.h"
#include "extras/ui/WaveSetupDialog.h"
#include "shell/ProgramDir.h"
#include "shell/main/PostedMessage.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>
#include <QToolButton>

// The controllers keep these for the whole run, while tests may put a
// recording prompt or a scripted look-up in place of the dialogs.
class Application::Forwarders : public UserPrompt,
                                public HostLookup,
                                public AdminDialogs,
                                public HelpService,
                                public QuickConnectDialogs,
                                public TransferDialogs,
                                public DocumentLauncher {
public:
    explicit Forwarders(Application &app)
        : app_(app)
    { }
    void warning(const QString &text) override { app_.prompt_->warning(text); }
    void information(const QString &text) override { app_.prompt_->information(text); }
    bool confirm(const QString &text) override { return app_.prompt_->confirm(text); }
    bool askYesNo(const QString &text) override { return app_.prompt_->askYesNo(text); }
    std::optional<QString> input(const QString &caption, const QString &prompt, const QString &value) override
    {
        return app_.prompt_->input(caption, prompt, value);
    }
    QStringList chooseFiles(const FileRequest &request) override
    {
        return app_.prompt_->chooseFiles(request);
    }
    std::optional<QString> Lookup(const QString &host) override { return app_.lookup_->Lookup(host); }
    void showHelp(int context) override { app_.help_->showHelp(context); }
    bool selectComport(ComportChoice &choice, const QList<DeviceEntry> &ports) override
    {
        return app_.quickConnect_->selectComport(choice, ports);
    }
    bool comportParameters(ComportParameters &parameters) override
    {
        return app_.quickConnect_->comportParameters(parameters);
    }
    int chooseProtocol(int preselected) override
    {
        return app_.transferDialogs_->chooseProtocol(preselected);
    }
    bool chooseBatch(QStringList &batch, const QString &uploadDir, QString &folder) override
    {
        return app_.transferDialogs_->chooseBatch(batch, uploadDir, folder);
    }
    bool open(const QUrl &document) override { return app_.documentLauncher_->open(document); }
    QString askAdminPassword() override { return app_.adminDialogs_->askAdminPassword(); }
    std::optional<AdminPasswordFields> askNewAdminPassword(
        const std::function<bool(const AdminPasswordFields &)> &accept) override
    {
        return app_.adminDialogs_->askNewAdminPassword(accept);
    }

private:
    Application &app_;
};

Application::Application(QObject *parent)
    : QObject(parent)
    , log_(QString())
    , settings_(
          SettingsFolders::fromEnvironment(), log_, [this](const QString &text) { prompt_->warning(text); })
    , programDir_(ProgramDir::resolve())
    , logging_(log_, port_, programDir_)
    , qtPrompt_(&window_)
    , helpViewer_(&window_)
    , lookform_(&window_)
    , qtAdminDialogs_(&window_)
    , lights_(&port_)
    , phonebook_(QStringLiteral("Phone.Dat"), PhonebookEntry::fields(), PhonebookEntry::keyField())
    , forwarders_(std::make_unique<Forwarders>(*this))
    , iconPicker_(icons_, *forwarders_, log_, &window_)
    , keyboard_(*window_.terminal(), port_, state_, settings_, log_, window_,
          {[this](const QString &name) { return window_.entry(name); },
              [this](const QString &name) { return window_.menu(name); }})
    , menus_(window_, logging_, port_, launcher_, [this] { return keyboard_.settings(); })
    , termOptions_(window_, settings_, log_, *forwarders_, keyboard_.settings(), fonts_,
          [this] { return adminLock_->AdminCheck(); })
    , protocolOptions_({engine_, settings_, state_, *forwarders_, &window_,
          window_.entry(QStringLiteral("TransferOptions1")), [this] { return adminLock_->AdminCheck(); },
          [this] { return window_.entry(QStringLiteral("ShowHints1"))->isChecked(); }})
    , lineSignals_(port_, window_, log_)
    , qtQuickConnect_(&window_, ComDevices::fromSettings(settings_))
    , qtTransferDialogs_(&window_, {settings_, *forwarders_, *forwarders_})
{
    // Nothing is logged before the application log's switch is read.
    log_.setEnabled(false);
    port_.setDeviceOverride(ComDevices::fromSettings(settings_));
    tapi_.setDeviceOverride(ComDevices::fromSettings(settings_));
    connect_ = std::make_unique<ConnectController>(SessionParts{port_, state_, window_, lights_, log_,
        *forwarders_, *forwarders_, engine_, logging_, settings_, phonebook_, deviceList_,
        [this] {
            if (portNaming_)
                portNaming_->Getdevices();
        },
        modem_, dialer_, tapi_, *forwarders_, telnetFirewall_,
        [this] { protocolOptions_.ApplyEntryProtocolOptions(); }, [this] { transfers_->armForConnection(); },
        [this] { transfers_->removeForDisconnect(); }, [this](const QString &path) { StartScr(path); },
        [this] {
            if (script_.running())
                script_.CancelScript();
        }});
    transfers_ = std::make_unique<TransferController>(TransferParts{port_, engine_, state_, window_, log_,
        *forwarders_, *forwarders_, settings_, directories_, programDir_, deviceList_, sounds_, *forwarders_,
        [this] { return protocolOptions_.switches(); }});
    adminLock_ = std::make_unique<AdminLock>(settings_, *forwarders_, *forwarders_, log_);
    wireSession();
    wirePorts();
    wireModem();
    wireTransfers();
    wireBinaryTransfers();
    wireScripts();
    wirePhonebook(*forwarders_, *forwarders_, *forwarders_);
    script_.setPrompt(forwarders_.get());
}

Application::~Application() = default;

// The main window's creation, in order; the log lines tell how far a start
// got.
void Application::create()
{
    window_.setWindowTitle(TMainform::applicationTitle());
    // Printing arrives with the capture and print controller.
    window_.entry(QStringLiteral("FTP1"))->setVisible(false);
    state_.setHangupPending(false);
    if (QFile::exists(programDir_ + QStringLiteral("alias.ini")))
        aliases_.load(programDir_ + QStringLiteral("alias.ini"));
    // The log's switch is read before its first line, so a log switched off
    // is never touched; the protocol history and the port's log follow
    // their own switches.
    log_.setAppend(false);
    log_.setDateStamp(true);
    log_.setTimeStamp(true);
    logging_.load(settings_);
    log_.write(QStringLiteral("Current Dir=") + programDir_);
    log_.write(QStringLiteral("Loading Icons"));
    // The shipped icons go into a missing folder only: the first start.
    QString iconError;
    if (!ShippedIcons::install(programDir_ + QStringLiteral("Icons"), &iconError))
        log_.write(iconError);
    // Unreadable files are left out; the others are all loaded.
    if (!icons_.LoadIcons(programDir_ + QStringLiteral("Icons"))) {
        for (const QString &file : icons_.skippedFiles())
            log_.write(QStringLiteral("Error loading icons: ") + file);
        prompt_->warning(QStringLiteral("Error loading icons"));
    }
    // The macro bank and dial lists are created here by their controllers;
    // the device list is built at start-up.
    log_.write(QStringLiteral("Lists Created"));
    // The terminal font is bundled and loaded for this process only; nothing
    // is copied into a system folder.
    state_.setOnline(false);
    log_.write(QStringLiteral("Entering TermFont"));
    // The terminal's font, colours, emulation and grid, then the keyboard
    // options and the emulator on the map file in the program folder.
    termOptions_.GetTermFOnt();
    protocolOptions_.LoadProtocolOptions();
    protocolStatus_->loadBrief(settings_);
    keyboard_.load(programDir_);
    loadFlatSettings();
    log_.write(QStringLiteral("Setting sound dir to: ") + directories_.sounds);
    phonebook_.setFileName(directories_.phonebook + QStringLiteral("Phone.Dat"));
    portNaming_ = std::make_unique<PortNaming>(
        PortNaming::Parts{phonebook_, deviceList_, port_, log_, *forwarders_,
            [this] { return adminLock_->AdminCheck(); }, [this] { return tapi_.devices(); }},
        directories_.phonebook);
    log_.write(QStringLiteral("Terminal settings loaded"));
    if (!settings_.read(Setting::ShowNew690)) {
        help_->showHelp(HelpService::whatIsNew);
        settings_.write(Setting::ShowNew690, true);
    }
    window_.terminal()->clearScreenAndBuffer();
    window_.entry(QStringLiteral("Status1"))->setVisible(true);
    termOptions_.SizeWindowToTerminal();
    // MsgStartup is posted by start(), once the window is shown. The
    // command-line interpreter and the trigger list are created here by
    // their controllers.
}

// The flat settings this part of the program owns; the terminal, keyboard
// and logging options load their own.
void Application::loadFlatSettings()
{
    const int left = settings_.read(Setting::MainformL);
    const int top = settings_.read(Setting::MainformT);
    const int width = settings_.read(Setting::MainformW);
    const int height = settings_.read(Setting::MainformH);
    window_.setGeometry(left, top, width, height);
    if (settings_.read(Setting::WindowState) == 2)
        window_.setWindowState(Qt::WindowMaximized);
    menus_.load(settings_);
    directories_ = Directories::load(
        settings_, programDir_, [this](const QString &text) { prompt_->information(text); });
    telnetFirewall_ = TelnetFirewall::load(settings_);
    sounds_.load(settings_, directories_.sounds);
}

void Application::saveFlatSettings()
{
    const QRect frame = window_.normalGeometry();
    settings_.write(Setting::MainformL, frame.left());
    settings_.write(Setting::MainformT, frame.top());
    settings_.write(Setting::MainformW, frame.width());
    settings_.write(Setting::MainformH, frame.height());
    settings_.write(Setting::WindowState, window_.isMaximized() ? 2 : window_.isMinimized() ? 1 : 0);
    directories_.save(settings_);
    termOptions_.SaveTermFont();
    protocolOptions_.saveSwitches();
    keyboard_.save();
    logging_.save(settings_);
    menus_.save(settings_);
    telnetFirewall_.save(settings_);
    sounds_.save(settings_);
    protocolStatus_->saveBrief(settings_);
}

void Application::wireSession()
{
    qtAdminDialogs_.setHelp(forwarders_.get());
    connect(&keyboard_, &KeyboardController::helpRequested, this,
        [this](int context) { help_->showHelp(context); });
    connect(&menus_, &ShellMenus::helpRequested, this, [this](int context) { help_->showHelp(context); });
    connect(&lights_, &StatusLights::changed, &window_, [this](const StatusLights::State &lit) {
        window_.showLights(lit.dcd, lit.cts, lit.dsr, lit.rxd, lit.txd);
    });
    Terminal *terminal = window_.terminal();
    connect(connect_.get(), &ConnectController::received, terminal, &Terminal::receive);
    connect(
        terminal, &Terminal::sendBytes, &port_, [this](const QByteArray &bytes) { port_.putBlock(bytes); });
    connect(connect_.get(), &ConnectController::emulationsChosen, this, [this](const QString &key, int term) {
        Terminal *view = window_.terminal();
        view->setScrollBack(false);
        keyboard_.settings().emulationType = KeyboardSettings::normalisedType(key);
        view->keyEmu().setEmulation(keyboard_.settings().emulationType);
        view->termemu().setEmulation(term);
    });
    connect(connect_.get(), &ConnectController::connectionLost, this, [this] {
        if (termOptions_.options().exitOnDisconnect && !state_.exiting())
            window_.close();
    });
    connect(connect_.get(), &ConnectController::connectSound, this, [this] { sounds_.connected(); });
    connect(connect_.get(), &ConnectController::disconnectSound, this, [this] { sounds_.disconnected(); });
    QAction *waves = window_.entry(QStringLiteral("Sounds1"));
    waves->setEnabled(true);
    connect(waves, &QAction::triggered, this,
        [this] { WaveSetupDialog::Waves1Click(sounds_, *prompt_, *help_, &window_); });
    QAction *hangup = window_.entry(QStringLiteral("Hangup1"));
    hangup->setEnabled(true);
    connect(hangup, &QAction::triggered, connect_.get(), &ConnectController::Hangup1Click);
    QToolButton *hangButton = window_.button(QStringLiteral("btnHang"));
    hangButton->setEnabled(true);
    connect(hangButton, &QToolButton::clicked, connect_.get(), &ConnectController::Hangup1Click);
    QAction *adminPassword = window_.entry(QStringLiteral("AdminPassword1"));
    adminPassword->setEnabled(true);
    connect(adminPassword, &QAction::triggered, this, [this] { adminLock_->AdminPassword1Click(); });
    QAction *helpEntry = window_.entry(QStringLiteral("Help1"));
    helpEntry->setEnabled(true);
    connect(helpEntry, &QAction::triggered, this, [this] { help_->showHelp(HelpService::contents); });
    connect(&window_, &TMainform::exitClicked, this, &Application::exitClicked);
    window_.setCloseQuery([this] { return closeQuery(); });
    connect(&window_, &TMainform::closed, this, &Application::closeForm);
    connect(&keyboard_, &KeyboardController::closeRequested, this,
        [this] { postMessage(PostedMessage::MsgClose, 0); });
    clock_.setInterval(1000);
    connect(&clock_, &QTimer::timeout, this, &Application::tickClock);
    clock_.start();
}

// The time since the connection came up, while online; offline the clock
// keeps its last value.
void Application::tickClock()
{
    if (!state_.online())
        return;
    const qint64 seconds = qMax<qint64>(0, state_.connectStart().secsTo(QDateTime::currentDateTime()));
    window_.setClock(QStringLiteral("%1:%2:%3")
                         .arg(seconds / 3600 % 24, 2, 10, QLatin1Char('0'))
                         .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                         .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void Application::postMessage(uint number, int param)
{
    QCoreApplication::postEvent(this, new PostedMessageEvent(number, param));
}

bool Application::event(QEvent *event)
{
    if (event->type() != PostedMessageEvent::eventType())
        return QObject::event(event);
    const auto *message = static_cast<PostedMessageEvent *>(event);
    handleMessage(message->number(), message->param());
    return true;
}

void Application::handleMessage(uint number, int param)
{
    switch (number) {
    case PostedMessage::MsgHangup:
        connect_->Hangup1Click();
        break;
    case PostedMessage::MsgStartup:
        runStartup(arguments_);
        break;
    case PostedMessage::MsgClose:
        window_.close();
        break;
    case PostedMessage::MsgDialNext:
        connect_->DialNext();
        break;
    case PostedMessage::MsgUploadDialog:
        transfers_->UploadDialog();
        break;
    case PostedMessage::MsgFreeTransferWindow:
        freeTransferWindow(param);
        break;
    default:
        // The dialler, the command line, printing and transfers answer
        // their messages here once they exist.
        log_.write(QStringLiteral("Message %1 (%2) not handled yet").arg(number).arg(param));
        break;
    }
}
