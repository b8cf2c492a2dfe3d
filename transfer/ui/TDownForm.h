#pragma once

#include <QDialog>

class HelpService;
class QButtonGroup;

// "File Transfer Protocol": the protocol a send or receive uses, one of the
// protocol items (the protocol number - 1) or none.
class TDownForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int helpContext = 13;

    explicit TDownForm(HelpService &help, QWidget *parent = nullptr);

    // Shows item chosen; any number that is not an item shows none.
    void setItem(int item);
    // The item chosen, -1 for none.
    int item() const;

private:
    QButtonGroup *m_protocols = nullptr;
};
