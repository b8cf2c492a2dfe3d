#include "shell/ui/DesktopLauncher.h"

#include <QDesktopServices>

bool DesktopLauncher::open(const QUrl &document)
{
    return QDesktopServices::openUrl(document);
}
