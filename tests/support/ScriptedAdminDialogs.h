#pragma once

#include "extras/AdminDialogs.h"

#include <QList>
#include <QStringList>

// Answers the two dialogs from a script: typed passwords for "Admin Access"
// and, for "Set Admin Password", the fields of each press of OK; when the
// presses run out the dialog is cancelled.
class ScriptedAdminDialogs : public AdminDialogs {
public:
    QStringList typed;
    QList<AdminPasswordFields> presses;
    int accessAsked = 0;

    QString askAdminPassword() override
    {
        ++accessAsked;
        return typed.isEmpty() ? QString() : typed.takeFirst();
    }
    std::optional<AdminPasswordFields> askNewAdminPassword(
        const std::function<bool(const AdminPasswordFields &)> &accept) override
    {
        while (!presses.isEmpty()) {
            const AdminPasswordFields fields = presses.takeFirst();
            if (accept(fields))
                return fields;
        }
        return std::nullopt;
    }
};
