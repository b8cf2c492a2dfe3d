#pragma once

#include <QString>

// What the phonebook window puts into "Session properties" and takes back.
// The device, the line settings, the modem strings and the protocol options
// are not here: the editor changes them in the session state's current
// entry itself.
struct SessionEditorFields {
    QString name;
    QString phone;
    // The startup script.
    QString script;
    // The last-connect text, shown only.
    QString last;
    // Wip and WPort.
    QString address;
    QString tcpPort;
    // "TCP/IP" rather than "Serial"; "Server" rather than "Client".
    bool tcp = false;
    bool server = false;
    // "Answer phone instead of dialing".
    bool answer = false;
    // Item numbers of "Default protocol" (the protocol number),
    // "Terminal Emulation" and "Keyboard Emulation".
    int protocol = 7;
    int terminal = 0;
    int keyboard = 0;
    int iconIndex = 0;
    QString iconName;
    int retries = 5;
    int waitSeconds = 5;

    bool operator==(const SessionEditorFields &) const = default;
};

// What "New FTP Connection" shows and takes back.
struct FtpEditorFields {
    QString name;
    QString host;
    QString port;
    QString login;
    QString password;
    bool passive = true;
    int iconIndex = 0;
    QString iconName;

    bool operator==(const FtpEditorFields &) const = default;
};

// The phonebook window's two entry dialogs; tests answer them from a script.
class EntryEditors {
public:
    virtual ~EntryEditors() = default;
    // "Session properties" over fields and the current entry; true on OK
    // (the fields then hold what the user left in the controls).
    virtual bool editSession(SessionEditorFields &fields) = 0;
    // "New FTP Connection"; true on OK.
    virtual bool editFtp(FtpEditorFields &fields) = 0;
};
