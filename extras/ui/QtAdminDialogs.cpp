#include "extras/ui/QtAdminDialogs.h"

#include "extras/ui/AdminAccessDialog.h"
#include "extras/ui/SetAdminPasswordDialog.h"

QString QtAdminDialogs::askAdminPassword()
{
    AdminAccessDialog dialog(m_parent);
    if (m_help)
        QObject::connect(&dialog, &AdminAccessDialog::helpRequested, &dialog,
            [this] { m_help->showHelp(HelpService::adminAccess); });
    dialog.exec();
    return dialog.password();
}

std::optional<AdminPasswordFields> QtAdminDialogs::askNewAdminPassword(
    const std::function<bool(const AdminPasswordFields &)> &accept)
{
    SetAdminPasswordDialog dialog(accept, m_parent);
    if (m_help)
        QObject::connect(&dialog, &SetAdminPasswordDialog::helpRequested, &dialog,
            [this] { m_help->showHelp(HelpService::setAdminPassword); });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.fields();
}
