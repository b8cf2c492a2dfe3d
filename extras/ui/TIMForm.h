#pragma once

#include <QDialog>

class QListWidget;
class SessionIcons;
class TLog;
class UserPrompt;

// "Session Icons": the icons of the icon folder as large images with their
// file names, to choose an entry's icon from, and to add, delete and rescan
// icon files. Made once at start and kept for the whole run.
class TIMForm : public QDialog {
    Q_OBJECT
public:
    TIMForm(SessionIcons &icons, UserPrompt &prompt, TLog &log, QWidget *parent = nullptr);

    // Shows the icons with the entry's icon (iconName, else index) selected
    // and waits. On OK or a double-click index and iconName are the chosen
    // icon's number and bare file name; false on Cancel or with no icons.
    bool choose(int &index, QString &iconName);

    QListWidget *view() const { return view_; }

    // The buttons' actions.
    void addIcon();
    void deleteIcon();
    void refresh();

private:
    void rescan();
    void fillView();
    void select(int row);
    void selectGiven();
    // Copies source into the icon folder as fileName; false with the reason
    // shown when it is not copied.
    bool copyIn(const QString &source, const QString &fileName);

    SessionIcons &icons_;
    UserPrompt &prompt_;
    TLog &log_;
    QListWidget *view_;
    // The icon the entry has, as given to choose().
    int givenIndex_ = 0;
    QString givenName_;
};
