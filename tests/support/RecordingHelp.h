#pragma once

#include "shell/HelpService.h"

#include <QList>

// The help contexts asked for, in order.
class RecordingHelp : public HelpService {
public:
    QList<int> shown;
    void showHelp(int context) override { shown << context; }
};
