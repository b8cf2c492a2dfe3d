#pragma once

#include "extras/AdminDialogs.h"
#include "shell/HelpService.h"

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

    // The dialogs' Help buttons open their pages here.
    void setHelp(HelpService *help) { m_help = help; }

private:
    QPointer<QWidget> m_parent;
    HelpService *m_help = nullptr;
};
