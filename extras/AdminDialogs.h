#pragma once

#include <QString>

#include <functional>
#include <optional>

// What the "Set Admin Password" dialog holds when OK is pressed.
struct AdminPasswordFields {
    QString oldPassword;
    QString newPassword;
    QString verifyPassword;
};

// The two administrator password dialogs, so the lock can be driven without
// widgets. The product shows them modally; tests answer from a script.
class AdminDialogs {
public:
    virtual ~AdminDialogs() = default;

    // "Admin Access": the text in the password field when it closed, however it closed.
    virtual QString askAdminPassword() = 0;
    // "Set Admin Password": each press of OK asks `accept`, which warns and
    // returns false to keep the dialog open. The accepted fields, or nothing
    // when cancelled.
    virtual std::optional<AdminPasswordFields> askNewAdminPassword(
        const std::function<bool(const AdminPasswordFields &)> &accept)
        = 0;
};
