#include "shell/ui/FormPlacement.h"

#include "shell/settings/SettingsStore.h"

#include <QWidget>

namespace {
constexpr qint32 notStored = -9;
}

void SaveFormPlacement(SettingsStore &settings, const QWidget &window)
{
    const QString name = window.objectName();
    settings.WriteSettingInteger(QString(), name + QLatin1Char('t'), window.y());
    settings.WriteSettingInteger(QString(), name + QLatin1Char('l'), window.x());
    settings.WriteSettingInteger(QString(), name + QLatin1Char('w'), window.width());
    settings.WriteSettingInteger(QString(), name + QLatin1Char('h'), window.height());
}

void RestoreFormPlacement(SettingsStore &settings, QWidget &window)
{
    const QString name = window.objectName();
    const qint32 top = settings.ReadSettingInteger(QString(), name + QLatin1Char('t'), notStored);
    const qint32 left = settings.ReadSettingInteger(QString(), name + QLatin1Char('l'), notStored);
    const qint32 width = settings.ReadSettingInteger(QString(), name + QLatin1Char('w'), notStored);
    const qint32 height = settings.ReadSettingInteger(QString(), name + QLatin1Char('h'), notStored);
    window.move(left != notStored ? left : window.x(), top != notStored ? top : window.y());
    QSize size(width != notStored ? width : window.width(), height != notStored ? height : window.height());
    // Never smaller than the content needs.
    size = size.expandedTo(window.minimumSizeHint());
    window.resize(size);
}
