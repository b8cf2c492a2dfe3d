#include "extras/ui/QtAdminDialogs.h"

#include "extras/ui/AdminAccessDialog.h"
#include "extras/ui/SetAdminPasswordDialog.h"

QString QtAdminDialogs::askAdminPassword()
{
    AdminAccessDialog dialog(m_parent);
    dialog.exec();
    return dialog.password();
}

std::optional<AdminPasswordFields> QtAdminDialogs::askNewAdminPassword(
    const std::function<bool(const AdminPasswordFields &)> &accept)
{
    SetAdminPasswordDialog dialog(accept, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.fields();
}
