#pragma once

#include "shell/DocumentLauncher.h"

#include <QList>

// The documents asked to be opened, in order; every open succeeds.
struct RecordingLauncher : DocumentLauncher {
    QList<QUrl> opened;
    bool open(const QUrl &document) override
    {
        opened << document;
        return true;
    }
};
