#pragma once

#include "extras/ui/SessionIcons.h"
#include "sessions/SessionState.h"
#include "sessions/store/RecordStore.h"
#include "sessions/ui/TPhone.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/RecordingHelp.h"
#include "support/ScriptedEntryEditors.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>

// The phonebook window's surroundings in a temporary folder: Phone.dat,
// drawn icons, its own settings, a recording prompt and help, scripted
// entry dialogs and an administrator check answered by `admin`.
class PhonebookRig {
public:
    QTemporaryDir dir;
    TLog log{QString()};
    RecordingPrompt prompt;
    RecordingHelp help;
    SettingsStore settings{
        SettingsFolders{dir.filePath(QStringLiteral("config")), dir.filePath(QStringLiteral("system"))}, log,
        [this](const QString &text) { prompt.warning(text); }};
    TRecordStore phonebook{phonePath(), PhonebookEntry::fields(), PhonebookEntry::keyField()};
    SessionState state;
    SessionIcons icons;
    ScriptedEntryEditors editors;
    bool admin = true;
    int adminAsked = 0;
    // The redial values applied, as (wait, attempts).
    QList<std::pair<int, int>> redials;

    QString phonePath() const { return dir.filePath(QStringLiteral("Phone.dat")); }

    // Draws count icons, each a disc of its own colour, and loads them.
    void drawIcons(int count)
    {
        const QString folder = dir.filePath(QStringLiteral("Icons"));
        QDir().mkpath(folder);
        for (int i = 0; i < count; ++i) {
            QImage image(SessionIcons::iconSize, SessionIcons::iconSize, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(QColor::fromHsv((i * 67) % 360, 200, 220));
            painter.setPen(QPen(Qt::black, 2));
            painter.drawEllipse(3, 3, 26, 26);
            painter.drawText(image.rect(), Qt::AlignCenter, QString::number(i));
            painter.end();
            image.save(QStringLiteral("%1/icon%2.png").arg(folder).arg(i, 2, 10, QLatin1Char('0')));
        }
        icons.LoadIcons(folder);
    }

    PhonebookEntry addEntry(const QString &name, const QString &phone = QString(),
        const QList<std::pair<PhoneField, QString>> &values = {})
    {
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Name, name);
        entry.set(PhoneField::Phone, phone);
        for (const auto &[field, text] : values)
            entry.set(field, text);
        phonebook.add(entry);
        return entry;
    }

    PhoneServices services()
    {
        return PhoneServices{phonebook, state, prompt, help, settings, icons, editors,
            [this] {
                ++adminAsked;
                return admin;
            },
            [] { return true; },
            [this](int wait, int attempts) {
                redials << std::pair{wait, attempts};
            }};
    }
    std::unique_ptr<TPhone> window() { return std::make_unique<TPhone>(services()); }
};
