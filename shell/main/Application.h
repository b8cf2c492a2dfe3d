#pragma once

#include "cmdline/AliasList.h"
#include "comms/line/Comport.h"
#include "comms/line/StatusLights.h"
#include "comms/modem/Dialer.h"
#include "comms/modem/Modem.h"
#include "comms/telephony/TapiLine.h"
#include "comms/transfer/ProtocolEngine.h"
#include "comms/ui/CallProgressWindow.h"
#include "comms/ui/DialProgressWindow.h"
#include "comms/ui/ProtocolStatusWindow.h"
#include "extras/AdminLock.h"
#include "extras/Directories.h"
#include "extras/EventSounds.h"
#include "extras/ui/QtAdminDialogs.h"
#include "extras/ui/QtSoundPlayer.h"
#include "extras/ui/SessionIcons.h"
#include "extras/ui/TIMForm.h"
#include "script/ScriptRecorder.h"
#include "script/TScript.h"
#include "sessions/ConnectController.h"
#include "sessions/DeviceList.h"
#include "sessions/LineSignals.h"
#include "sessions/LoggingOptions.h"
#include "sessions/PortNaming.h"
#include "sessions/SessionState.h"
#include "sessions/TelnetFirewall.h"
#include "sessions/store/RecordStore.h"
#include "sessions/ui/QtEntryEditors.h"
#include "sessions/ui/QtQuickConnectDialogs.h"
#include "sessions/ui/TLookform.h"
#include "shell/TLog.h"
#include "shell/main/Mainform.h"
#include "shell/main/ScriptWindowLinks.h"
#include "shell/main/ShellMenus.h"
#include "shell/main/TermOptionsController.h"
#include "shell/settings/SettingsStore.h"
#include "shell/ui/DesktopLauncher.h"
#include "shell/ui/HelpViewer.h"
#include "shell/ui/QtPrompt.h"
#include "terminal/ui/KeyboardController.h"
#include "terminal/ui/QtFontChooser.h"
#include "transfer/BinaryReceive.h"
#include "transfer/BinarySend.h"
#include "transfer/TransferController.h"
#include "transfer/TransferDialogs.h"
#include "transfer/ui/ProtocolOptionsController.h"
#include "transfer/ui/QtTransferDialogs.h"
#include "transfer/ui/TFiTrans.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <map>

// The long-lived parts, built once at start-up and handed to the
// controllers that need them, and the window over them.
class Application : public QObject {
    Q_OBJECT
public:
    explicit Application(QObject *parent = nullptr);
    ~Application() override;

    TMainform &window() { return window_; }
    Comport &port() { return port_; }
    KeyboardController &keyboard() { return keyboard_; }
    SessionState &state() { return state_; }
    TLog &log() { return log_; }
    SettingsStore &settings() { return settings_; }
    ProtocolEngine &engine() { return engine_; }
    // The protocol options and the two transfer switches.
    ProtocolOptionsController &protocolOptions() { return protocolOptions_; }
    TRecordStore &phonebook() { return phonebook_; }
    const Directories &directories() const { return directories_; }
    EventSounds &sounds() { return sounds_; }
    // Tests record the sounds played instead of hearing them.
    void setSoundPlayer(SoundPlayer *player) { sounds_.setPlayer(player); }
    const AliasList &aliases() const { return aliases_; }
    SessionIcons &icons() { return icons_; }
    // "Session Icons", for the phonebook entry editors.
    TIMForm &iconPicker() { return iconPicker_; }
    QString programDir() const { return programDir_; }
    LoggingOptions &logging() { return logging_; }
    ShellMenus &menus() { return menus_; }
    UserPrompt &prompt() { return *prompt_; }
    // Tests put a recording prompt in place of the dialogs.
    void setPrompt(UserPrompt *prompt) { prompt_ = prompt; }
    HelpService &help() { return *help_; }
    // Tests record the help contexts asked for.
    void setHelp(HelpService *help) { help_ = help; }
    // Tests answer host look-ups in place of the look-up window.
    void setLookup(HostLookup *lookup) { lookup_ = lookup; }
    // The password lock in front of the configuration commands.
    AdminLock &adminLock() { return *adminLock_; }
    // Tests answer the password dialogs from a script.
    void setAdminDialogs(AdminDialogs *dialogs) { adminDialogs_ = dialogs; }
    // Telephony devices and COM ports with the user's names for them.
    DeviceList &deviceList() { return deviceList_; }
    // The port-name table and renaming; made when the window is created.
    PortNaming &portNaming() { return *portNaming_; }
    TelnetFirewall &telnetFirewall() { return telnetFirewall_; }
    // "Select comport" and "Comport parameters"; tests answer them instead.
    QuickConnectDialogs &quickConnectDialogs() { return *quickConnect_; }
    void setQuickConnectDialogs(QuickConnectDialogs *dialogs) { quickConnect_ = dialogs; }
    // The phonebook's "Session properties" and "New FTP Connection"; tests
    // answer them instead.
    void setEntryEditors(EntryEditors *editors) { entryEditors_ = editors; }
    // "&Connections" and the "#" button: the phonebook window, then the
    // entries chosen there dialled.
    void PhoneBook1Click();
    // Uploads, downloads and the automatic Zmodem start.
    TransferController &transfers() { return *transfers_; }
    // The protocol choice and "Send Files"; tests answer them instead.
    void setTransferDialogs(TransferDialogs *dialogs) { transferDialogs_ = dialogs; }
    // Tests record what would be opened on the desktop.
    void setLauncher(DocumentLauncher *launcher) { documentLauncher_ = launcher; }
    // The script engine of the window's scripts.
    TScript &script() { return script_; }
    // What Script > Record has recorded this run.
    const ScriptRecorder &recorder() const { return recorder_; }
    // The engine's status window while a transfer runs.
    ProtocolStatusWindow &protocolStatus() { return *protocolStatus_; }
    // The raw file send, also for scripts and the automation object.
    BinarySend &binarySend() { return *binarySend_; }

    // Runs the window's creation steps, shows it and runs the deferred
    // start-up with the program's parameters (without the program name)
    // once it is shown.
    void start(const QStringList &arguments);
    // Closes the window the usual way but without a question: for a
    // session manager, a closed terminal or kill.
    void closeWithoutAsking();
    // Posts one of the window's messages (PostedMessage); it is handled
    // after the current handler returns, whatever the state then.
    void postMessage(uint number, int param);

signals:
    // The deferred start-up (the command line included) is done.
    void startupFinished();

protected:
    bool event(QEvent *event) override;

private:
    class Forwarders;

    void create();
    void wireSession();
    void wirePorts();
    void wireModem();
    void wireTransfers();
    void wireScripts();
    // The dialogs' services go through the forwarders, so tests can answer them.
    void wirePhonebook(QuickConnectDialogs &quickDialogs, UserPrompt &prompt, HelpService &help);
    void setScriptMenu(bool recording, bool running);
    void Edit1Click();
    void Record1Click();
    void Run1Click();
    void Stop1Click();
    void StartTheScript();
    void StartScr(const QString &path);
    void Scr1ScriptFinish();
    void HaltRecord1Click();
    void resetProtocolStatus();
    void wireBinaryTransfers();
    void freeTransferWindow(int id);
    void loadFlatSettings();
    void saveFlatSettings();
    void handleMessage(uint number, int param);
    void runStartup(const QStringList &arguments);
    void exitClicked();
    bool closeQuery();
    void closeForm();
    void tickClock();

    TLog log_;
    SettingsStore settings_;
    QString programDir_;
    Comport port_;
    ProtocolEngine engine_;
    Modem modem_{port_};
    Dialer dialer_{modem_};
    TapiLine tapi_{port_, modem_, programDir_};
    LoggingOptions logging_;
    SessionState state_;
    TMainform window_;
    DialProgressWindow dialWindow_{&window_};
    CallProgressWindow callWindow_{&window_};
    QtPrompt qtPrompt_;
    UserPrompt *prompt_ = &qtPrompt_;
    HelpViewer helpViewer_;
    HelpService *help_ = &helpViewer_;
    TLookform lookform_;
    HostLookup *lookup_ = &lookform_;
    QtAdminDialogs qtAdminDialogs_;
    AdminDialogs *adminDialogs_ = &qtAdminDialogs_;
    StatusLights lights_;
    TRecordStore phonebook_;
    std::unique_ptr<Forwarders> forwarders_;
    std::unique_ptr<ConnectController> connect_;
    std::unique_ptr<AdminLock> adminLock_;
    Directories directories_;
    QtSoundPlayer soundPlayer_{log_};
    EventSounds sounds_{&soundPlayer_};
    AliasList aliases_;
    SessionIcons icons_;
    TIMForm iconPicker_;
    KeyboardController keyboard_;
    DesktopLauncher launcher_;
    ShellMenus menus_;
    QtFontChooser fonts_;
    TermOptionsController termOptions_;
    ProtocolOptionsController protocolOptions_;
    DeviceList deviceList_;
    std::unique_ptr<PortNaming> portNaming_;
    TelnetFirewall telnetFirewall_;
    LineSignals lineSignals_;
    QtQuickConnectDialogs qtQuickConnect_;
    QuickConnectDialogs *quickConnect_ = &qtQuickConnect_;
    QtTransferDialogs qtTransferDialogs_;
    TransferDialogs *transferDialogs_ = &qtTransferDialogs_;
    DocumentLauncher *documentLauncher_ = &launcher_;
    std::unique_ptr<TransferController> transfers_;
    std::unique_ptr<QtEntryEditors> qtEntryEditors_;
    EntryEditors *entryEditors_ = nullptr;
    TScript script_;
    std::unique_ptr<ScriptWindowLinks> scriptLinks_;
    ScriptRecorder recorder_;
    std::unique_ptr<ProtocolStatusWindow> protocolStatus_;
    QTimer clock_;
    bool askBeforeClosing_ = true;
    bool closed_ = false;
    QStringList arguments_;
    // Binary send progress windows waiting to be freed, by message parameter.
    std::map<int, std::unique_ptr<TFiTrans>> transferWindows_;
    int lastTransferWindow_ = 0;
    std::unique_ptr<BinarySend> binarySend_;
    std::unique_ptr<BinaryReceive> binaryReceive_;
};
