#pragma once

#include "extras/AdminDialogs.h"

#include <QPointer>
#include <QWidget>

// The administrator password dialogs as modal Qt dialogs over the given window.
class QtAdminDialogs : public AdminDialogs {
public:
    explicit QtAdminDialogs(QWidget *parent = nullptr)
        : m_parent(parent)
    { }

    QString askAdminPassword() override;
    std::optional<AdminPasswordFields> askNewAdminPassword(
        const std::function<bool(const AdminPasswordFields &)> &accept) override;

private:
    QPointer<QWidget> m_parent;
};
