#include "sessions/ui/TPhone.h"

#include "extras/ui/SessionIcons.h"
#include "sessions/EntryEditorFields.h"
#include "sessions/SessionState.h"
#include "sessions/store/RecordStore.h"
#include "sessions/ui/DialogButtons.h"
#include "sessions/ui/PhoneList.h"
#include "shell/HelpService.h"
#include "shell/UserPrompt.h"
#include "shell/settings/SettingsStore.h"
#include "shell/ui/FormPlacement.h"

#include <QActionGroup>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int defaultRedial = 5;
constexpr int defaultWidth = 540;
constexpr int defaultHeight = 380;

const QString corrupted = QStringLiteral(
    "Phone book data corrupted. Delete the phone.dat file in Tarnex's directory and start over");
const QString noEntryToDial = QStringLiteral("No Entry selected to dial");
const QString noDevice = QStringLiteral("You need to specify a modem device in the properties page");
const QString noRecordToDelete = QStringLiteral("No record selected to delete");
const QString confirmDelete = QStringLiteral("Are you sure you want to delete this item?");
const QString noItemToModify = QStringLiteral("No Item selected to modify");
const QString recordExists = QStringLiteral("Phone Record Allready Exists");

} // namespace

TPhone::TPhone(PhoneServices services, QWidget *parent)
    : QDialog(parent)
    , services_(std::move(services))
{
    setObjectName(QStringLiteral("Phone"));
    setWindowTitle(QStringLiteral("Sessions"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    auto *toolBar = new QHBoxLayout;
    toolBar->setSpacing(0);
    layout->addLayout(toolBar);
    QToolButton *newButton
        = addButton(QStringLiteral("&New"), QStringLiteral("new"), QStringLiteral("New session"));
    auto *newMenu = new QMenu(newButton);
    newMenu->addAction(QStringLiteral("Serial/Telnet"), this, &TPhone::NewClick)
        ->setObjectName(QStringLiteral("newSession"));
    // Entries of this kind come from earlier versions; new ones are not made.
    newMenu->addAction(QStringLiteral("FTP"))->setVisible(false);
    newButton->setMenu(newMenu);
    newButton->setPopupMode(QToolButton::InstantPopup);
    const QList<QToolButton *> buttons{newButton,
        addButton(
            QStringLiteral("&Trash"), QStringLiteral("trash"), QStringLiteral("Delete the selected session")),
        addButton(
            QStringLiteral("&Dial"), QStringLiteral("dial"), QStringLiteral("Dial the selected sessions")),
        addButton(QStringLiteral("&Properties"), QStringLiteral("properties"),
            QStringLiteral("Change the selected session")),
        addButton(QStringLiteral("&Help"), QStringLiteral("help"), QStringLiteral("Help on this window"))};
    for (QToolButton *button : buttons)
        toolBar->addWidget(button, 1);
    connect(buttons[1], &QToolButton::clicked, this, &TPhone::TrashClick);
    connect(buttons[2], &QToolButton::clicked, this, &TPhone::DialClick);
    connect(buttons[3], &QToolButton::clicked, this, &TPhone::PropertiesClick);
    connect(
        buttons[4], &QToolButton::clicked, this, [this] { services_.help.showHelp(HelpService::phonebook); });

    list_ = new PhoneList(this);
    layout->addWidget(list_, 1);
    layout->addWidget(okCancelButtons(this));
    menu_ = buildContextMenu();
    connect(list_, &PhoneList::itemChosen, this, &TPhone::itemChosen);
    connect(list_, &PhoneList::dialRequested, this, [this] {
        if (selectFocused())
            dialSelected();
    });
    connect(list_, &PhoneList::deleteRequested, this, &TPhone::TrashClick);
    connect(list_, &PhoneList::menuRequested, this, [this](const QPoint &pos) { menu_->popup(pos); });

    resize(defaultWidth, defaultHeight);
    RestoreFormPlacement(services_.settings, *this);
    list_->setIconView(services_.settings.read(Setting::PhoneView) == 1);
    UpdateList();
    if (services_.state.currentSessionName().isEmpty() && list_->count() > 0)
        services_.state.setCurrentSessionName(list_->caption(0));
    ShowSelected();
    list_->setFocus();
}

QToolButton *TPhone::addButton(const QString &text, const QString &name, const QString &hint)
{
    auto *button = new QToolButton(this);
    button->setText(text);
    button->setObjectName(name);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Each takes a fifth of the bar, whatever its text.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    if (services_.showHints && services_.showHints())
        button->setToolTip(hint);
    return button;
}

QMenu *TPhone::buildContextMenu()
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("listMenu"));
    menu->addAction(QStringLiteral("Dial"), this, &TPhone::DialClick);
    menu->addAction(QStringLiteral("Properties"), this, &TPhone::editCurrentEntry);
    menu->addAction(QStringLiteral("New"), this, &TPhone::NewClick);
    menu->addAction(QStringLiteral("Delete"), this, &TPhone::TrashClick);
    menu->addSeparator();
    QMenu *view = menu->addMenu(QStringLiteral("View"));
    auto *group = new QActionGroup(view);
    QAction *details = view->addAction(QStringLiteral("Details"));
    QAction *icons = view->addAction(QStringLiteral("Icons"));
    for (QAction *action : {details, icons}) {
        action->setCheckable(true);
        group->addAction(action);
    }
    details->setObjectName(QStringLiteral("viewDetails"));
    icons->setObjectName(QStringLiteral("viewIcons"));
    connect(view, &QMenu::aboutToShow, this,
        [this, details, icons] { (list_->iconView() ? icons : details)->setChecked(true); });
    connect(details, &QAction::triggered, this, [this] { setIconView(false); });
    connect(icons, &QAction::triggered, this, [this] { setIconView(true); });
    return menu;
}

void TPhone::setIconView(bool icons)
{
    list_->setIconView(icons);
    services_.settings.write(Setting::PhoneView, icons ? 1 : 0);
}

void TPhone::UpdateList()
{
    const SessionIcons &icons = services_.icons;
    QList<QIcon> iconImages;
    for (const QImage &image : icons.images())
        iconImages << QIcon(QPixmap::fromImage(image));
    QList<PhoneListItem> items;
    // Entries saved by older versions gain their icon's file name.
    QList<StoreRecord> named;
    try {
        for (const StoreRecord &record : services_.phonebook.readAll()) {
            PhonebookEntry entry(record);
            int icon = -1;
            if (!entry.get(PhoneField::iconname).isEmpty()) {
                icon = icons.indexOf(entry.get(PhoneField::iconname));
            } else {
                icon = limitedIcon(entry.get(PhoneField::Image), icons.count());
                if (icon >= 0) {
                    entry.set(PhoneField::iconname, icons.fileName(icon));
                    named << entry;
                }
            }
            items << PhoneListItem{entry.get(PhoneField::Name), entry.get(PhoneField::Phone),
                entry.get(PhoneField::Last), entry.get(PhoneField::Wip), iconImages.value(icon),
                isFtpEntry(entry)};
        }
        services_.phonebook.updateInPlace(named);
    } catch (const std::exception &error) {
        storeFailed(error);
    }
    list_->setItems(items);
}

void TPhone::Finditem()
{
    const QString caption = list_->focusedCaption();
    if (caption.isEmpty())
        return;
    try {
        if (!services_.phonebook.exists(caption)) {
            services_.prompt.warning(corrupted);
            return;
        }
        const PhonebookEntry entry(services_.phonebook.read(caption));
        services_.state.setCurrentEntry(entry);
        if (services_.setRedial)
            services_.setRedial(numberOr(entry.get(PhoneField::Redialsecs), defaultRedial),
                numberOr(entry.get(PhoneField::Redialtrys), defaultRedial));
    } catch (const std::exception &error) {
        storeFailed(error);
    }
}

void TPhone::itemChosen()
{
    const QString caption = list_->focusedCaption();
    if (caption.isEmpty())
        return;
    Finditem();
    services_.state.setCurrentSessionName(caption);
}

void TPhone::ShowSelected()
{
    const QString name = services_.state.currentSessionName();
    if (!name.isEmpty() && list_->selectCaption(name))
        itemChosen();
}

void TPhone::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    // Only when the selection went elsewhere meanwhile: after a message about
    // the focused entry, activation would otherwise show it again and again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()
        && list_->focusedCaption().compare(services_.state.currentSessionName(), Qt::CaseInsensitive) != 0)
        ShowSelected();
}

bool TPhone::selectFocused()
{
    const QString caption = list_->focusedCaption();
    if (!caption.isEmpty()) {
        services_.state.setCurrentSessionName(caption);
        ShowSelected();
    }
    return !list_->focusedCaption().isEmpty();
}

void TPhone::DialClick()
{
    if (!selectFocused()) {
        services_.prompt.information(noEntryToDial);
        return;
    }
    dialSelected();
}

void TPhone::dialSelected()
{
    const QStringList names = list_->selectedCaptions();
    if (names.isEmpty())
        return;
    DialQueue queue;
    queue.names = names;
    services_.state.setDialQueue(queue);
    if (isDiallable(services_.state.currentEntry()))
        done(dialResult);
    else
        services_.prompt.warning(noDevice);
}

void TPhone::TrashClick()
{
    if (!services_.adminCheck())
        return;
    const bool focused = selectFocused();
    if (!focused) {
        services_.prompt.information(noRecordToDelete);
    } else if (services_.prompt.confirm(confirmDelete)) {
        Finditem();
        const QString name = list_->focusedCaption();
        try {
            if (services_.phonebook.exists(name))
                services_.phonebook.remove(name);
        } catch (const std::exception &error) {
            storeFailed(error);
        }
        UpdateList();
    }
    services_.state.setCurrentSessionName(QString());
}

void TPhone::PropertiesClick()
{
    if (list_->focusedCaption().isEmpty())
        return;
    if (!selectFocused()) {
        services_.prompt.information(noItemToModify);
        return;
    }
    editCurrentEntry();
}

void TPhone::editCurrentEntry()
{
    const PhonebookEntry entry = services_.state.currentEntry();
    const QString name = entry.get(PhoneField::Name);
    // From the context menu over an empty list nothing has been read.
    if (name.isEmpty() || !services_.phonebook.exists(name)) {
        services_.prompt.information(noItemToModify);
        return;
    }
    if (!services_.adminCheck())
        return;
    if (isFtpEntry(entry))
        editFtp(entry);
    else
        editSession(entry);
    ShowSelected();
}

void TPhone::editSession(PhonebookEntry entry)
{
    SessionEditorFields fields = sessionEditorFields(entry);
    services_.state.setCurrentEntry(entry);
    if (!services_.editors.editSession(fields)) {
        services_.state.setCurrentEntry(entry);
        return;
    }
    PhonebookEntry edited = services_.state.currentEntry();
    edited.set(PhoneField::Name, entry.get(PhoneField::Name));
    applySessionEditor(fields, edited);
    storeEdited(edited, fields.name);
}

void TPhone::editFtp(PhonebookEntry entry)
{
    FtpEditorFields fields = ftpEditorFields(entry, services_.icons.count());
    if (!services_.editors.editFtp(fields))
        return;
    applyFtpEditor(fields, services_.icons.fileName(fields.iconIndex), entry);
    storeEdited(entry, fields.name);
}

void TPhone::storeEdited(PhonebookEntry entry, const QString &editorName)
{
    const QString oldName = entry.get(PhoneField::Name);
    entry.set(PhoneField::Name, editorName);
    const QString newName = entry.get(PhoneField::Name);
    TRecordStore &phonebook = services_.phonebook;
    try {
        if (newName.compare(oldName, Qt::CaseInsensitive) == 0 && newName != oldName) {
            // Only the spelling changes: the listed name is written anew.
            phonebook.remove(oldName);
            phonebook.add(entry);
        } else if (newName != oldName && phonebook.exists(newName)) {
            // Renaming onto another entry would lose one of them.
            services_.prompt.warning(recordExists);
            return;
        } else {
            phonebook.update(oldName, entry);
        }
        services_.state.setCurrentEntry(entry, newName);
    } catch (const std::exception &error) {
        storeFailed(error);
    }
    UpdateList();
}

void TPhone::NewClick()
{
    if (!services_.adminCheck())
        return;
    PhonebookEntry entry = PhonebookEntry::newEntry();
    entry.set(PhoneField::Name, QString());
    services_.state.setCurrentEntry(entry);
    SessionEditorFields fields = newSessionEditorFields(entry);
    if (services_.editors.editSession(fields)) {
        PhonebookEntry created = services_.state.currentEntry();
        created.set(PhoneField::Name, fields.name);
        const QString name = created.get(PhoneField::Name);
        if (services_.phonebook.exists(name)) {
            services_.prompt.warning(recordExists);
        } else {
            applySessionEditor(fields, created);
            try {
                services_.phonebook.add(created);
                services_.state.setCurrentEntry(created, name);
            } catch (const std::exception &error) {
                storeFailed(error);
            }
            UpdateList();
        }
    }
    ShowSelected();
}

void TPhone::storeFailed(const std::exception &error)
{
    services_.prompt.warning(QString::fromUtf8(error.what()));
}

void TPhone::done(int result)
{
    SaveFormPlacement(services_.settings, *this);
    QDialog::done(result);
}
