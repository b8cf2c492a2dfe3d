#pragma once

#include <QDialog>
#include <functional>

class EntryEditors;
class HelpService;
class PhoneList;
class PhonebookEntry;
class QMenu;
class QToolButton;
class SessionIcons;
class SessionState;
class SettingsStore;
class TRecordStore;
class UserPrompt;

// What the phonebook window works with.
struct PhoneServices {
    TRecordStore &phonebook;
    SessionState &state;
    UserPrompt &prompt;
    HelpService &help;
    SettingsStore &settings;
    const SessionIcons &icons;
    EntryEditors &editors;
    // The administrator check; false refuses.
    std::function<bool()> adminCheck;
    // Whether the tool bar shows its hints.
    std::function<bool()> showHints;
    // The dialler's and the telephony device's redial values.
    std::function<void(int waitSeconds, int attempts)> setRedial;
};

// "Sessions": the phonebook's entries with their icons. Entries are created,
// edited and deleted here; the window closes with dialResult and the state's
// dial queue holding the names chosen for dialling.
class TPhone : public QDialog {
    Q_OBJECT
public:
    static constexpr int dialResult = 10;

    explicit TPhone(PhoneServices services, QWidget *parent = nullptr);

    // Refills the list from the phonebook.
    void UpdateList();
    // Reads the focused entry into the current entry and applies its redial values.
    void Finditem();
    // Selects and focuses the entry named by the current session name.
    void ShowSelected();

    void done(int result) override;

protected:
    void changeEvent(QEvent *event) override;

private:
    QToolButton *addButton(const QString &text, const QString &name, const QString &hint);
    QMenu *buildContextMenu();
    void itemChosen();
    // Makes the focused item the current session; false when none has the focus.
    bool selectFocused();
    void DialClick();
    void dialSelected();
    void TrashClick();
    void PropertiesClick();
    void editCurrentEntry();
    void editSession(PhonebookEntry entry);
    void editFtp(PhonebookEntry entry);
    // Stores an edited entry under the name given in its editor.
    void storeEdited(PhonebookEntry entry, const QString &editorName);
    void NewClick();
    void setIconView(bool icons);
    void storeFailed(const std::exception &error);

    PhoneServices services_;
    PhoneList *list_ = nullptr;
    QMenu *menu_ = nullptr;
};
