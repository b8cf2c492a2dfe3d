#pragma once

#include "sessions/EntryEditors.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QListWidget;
class SessionIcons;

// "New FTP Connection": an FTP entry's host, port, log-in and icon. The
// icon view's double-click opens the icon picker through chooseIcon.
class FtpConnectionForm : public QDialog {
    Q_OBJECT
public:
    using IconChooser = std::function<bool(int &index, QString &iconName)>;

    FtpConnectionForm(const SessionIcons &icons, IconChooser chooseIcon, QWidget *parent = nullptr);

    void setFields(const FtpEditorFields &fields);
    FtpEditorFields fields() const;
    void ChangeIconClick();

protected:
    // Enter or space on the icon view changes the icon.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showIcon();

    const SessionIcons &icons_;
    IconChooser chooseIcon_;
    QLineEdit *name_;
    QLineEdit *host_;
    QLineEdit *port_;
    QLineEdit *login_;
    QLineEdit *password_;
    QCheckBox *passive_;
    QListWidget *icon_;
    int iconIndex_ = 0;
    QString iconName_;
};
