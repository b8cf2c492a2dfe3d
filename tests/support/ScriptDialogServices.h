#pragma once

#include "script/TCustomScript.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/RecordingHelp.h"

#include <QTemporaryDir>

// What the script dialogs work with, in a scratch folder: the engine, the
// settings, and the prompt and help recorded.
struct ScriptDialogServices {
    QTemporaryDir dir;
    TLog log{dir.filePath(QStringLiteral("log.txt"))};
    SettingsStore settings{SettingsFolders::fromEnvironment(), log, [](const QString &) {}};
    TCustomScript script;
    RecordingPrompt prompt;
    RecordingHelp help;
};
