#include "shell/DocumentLauncher.h"

#include <QFileInfo>
#include <QMimeDatabase>

bool OpenWithAssociatedProgram(DocumentLauncher &launcher, const QString &path)
{
    if (path.isEmpty())
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid() || type.isDefault())
        return false;
    return launcher.open(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}
