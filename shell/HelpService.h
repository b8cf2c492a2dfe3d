#pragma once

// Opens the help viewer; dialogs' Help buttons and the Help menu go
// through it, tests record the contexts asked for.
class HelpService {
public:
    virtual ~HelpService() = default;
    // The contents page.
    static constexpr int contents = 0;
    // The page describing what is new.
    static constexpr int whatIsNew = 24;
    static constexpr int waveSetup = 27;
    static constexpr int phonebook = 19;
    static constexpr int terminalSettings = 20;
    static constexpr int startingSession = 30;
    static constexpr int keyboard = 31;
    static constexpr int statusWindow = 32;
    static constexpr int fonts = 33;
    static constexpr int keymapEditor = 34;
    static constexpr int pleaseWait = 35;
    static constexpr int adminAccess = 36;
    static constexpr int setAdminPassword = 37;
    static constexpr int logging = 38;
    static constexpr int mainWindow = 39;
    virtual void showHelp(int context) = 0;
};
