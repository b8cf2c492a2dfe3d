#pragma once

#include "sessions/EntryEditors.h"
#include "sessions/ui/EntryEditorServices.h"

class QWidget;

// The entry dialogs as windows over parent, each made when asked and freed
// afterwards.
class QtEntryEditors : public EntryEditors {
public:
    QtEntryEditors(QWidget *parent, EntryEditorServices services);

    bool editSession(SessionEditorFields &fields) override;
    bool editFtp(FtpEditorFields &fields) override;

private:
    QWidget *parent_;
    EntryEditorServices services_;
};
