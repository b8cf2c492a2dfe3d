#pragma once

#include <QString>
#include <QStringList>

// The dialogs a transfer start asks; tests answer them from a script.
class TransferDialogs {
public:
    virtual ~TransferDialogs() = default;

    // "File Transfer Protocol": preselected is the item shown chosen (the
    // protocol number - 1), -1 for none. Answers the item chosen with OK, or
    // -1 when none was chosen or the dialog was cancelled.
    virtual int chooseProtocol(int preselected) = 0;

    // "Send Files", browsing from uploadDir. OK with files appends them to
    // batch in order and answers true. folder gets the folder the browser
    // showed when the dialog closed, whichever way it closed.
    virtual bool chooseBatch(QStringList &batch, const QString &uploadDir, QString &folder) = 0;
};
