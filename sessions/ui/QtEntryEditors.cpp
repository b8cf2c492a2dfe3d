#include "sessions/ui/QtEntryEditors.h"

#include "sessions/ui/FtpConnectionForm.h"
#include "sessions/ui/TPhoneNum.h"

QtEntryEditors::QtEntryEditors(QWidget *parent, EntryEditorServices services)
    : parent_(parent)
    , services_(std::move(services))
{ }

bool QtEntryEditors::editSession(SessionEditorFields &fields)
{
    TPhoneNum editor(services_, parent_);
    editor.setFields(fields);
    if (!editor.run())
        return false;
    fields = editor.fields();
    return true;
}

bool QtEntryEditors::editFtp(FtpEditorFields &fields)
{
    FtpConnectionForm form(services_.icons, services_.chooseIcon, parent_);
    form.setFields(fields);
    if (form.exec() != QDialog::Accepted)
        return false;
    fields = form.fields();
    return true;
}
