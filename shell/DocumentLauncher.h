#pragma once

#include <QString>
#include <QUrl>

// Opens a document with the program the desktop has registered for its type.
// Never through a shell, so a file name cannot inject a command.
class DocumentLauncher {
public:
    virtual ~DocumentLauncher() = default;
    // False when the desktop could not open it.
    virtual bool open(const QUrl &document) = 0;
};

// Opens `path` with its registered program; a file whose type is unknown runs nothing.
// Returns whether a program was started.
bool OpenWithAssociatedProgram(DocumentLauncher &launcher, const QString &path);
