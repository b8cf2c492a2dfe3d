#pragma once

#include "shell/UserPrompt.h"

#include <QPointer>
#include <QWidget>

// The prompt service on Qt's standard dialogs, modal to the given window.
class QtPrompt : public UserPrompt {
public:
    explicit QtPrompt(QWidget *parent = nullptr)
        : m_parent(parent)
    { }
    void setParent(QWidget *parent) { m_parent = parent; }

    void warning(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    bool askYesNo(const QString &text) override;
    std::optional<QString> input(
        const QString &caption, const QString &prompt, const QString &value) override;
    QStringList chooseFiles(const FileRequest &request) override;

private:
    QPointer<QWidget> m_parent;
};
