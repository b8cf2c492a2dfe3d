#pragma once

#include "shell/DocumentLauncher.h"

// Opens documents through the desktop's handlers (xdg-open and the MIME database).
class DesktopLauncher : public DocumentLauncher {
public:
    bool open(const QUrl &document) override;
};
