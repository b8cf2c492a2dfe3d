#include "terminal/TermOptions.h"

#include "shell/settings/SettingsStore.h"

int TermOptions::effectiveCharset() const
{
    return fontName.compare(QLatin1String("Terminal"), Qt::CaseInsensitive) == 0 ? 255 : fontCharset;
}

TermOptions TermOptions::load(SettingsStore &store)
{
    TermOptions options;
    options.fontName = store.read(Setting::TFontName);
    options.fontCharset = store.read(Setting::TFontChar);
    options.fontSize = store.read(Setting::TFontSize);
    options.fontHeight = store.read(Setting::TFontHeight);
    options.bold = store.read(Setting::TFontBold);
    options.italic = store.read(Setting::TFontItalic);
    options.foreground = qBound(0, store.read(Setting::TFontColor), 15);
    options.background = qBound(0, store.read(Setting::BColor), 15);
    options.ignoreBackground = store.read(Setting::IgnoreBC);
    options.termEmu = store.read(Setting::TermEmu);
    options.doorway = store.read(Setting::Doorway);
    options.confirmHangup = store.read(Setting::ConfirmH);
    options.exitOnDisconnect = store.read(Setting::Exitondis);
    const int rows = store.read(Setting::Rows);
    const int columns = store.read(Setting::Cols);
    options.rows = rows < 1 ? defaultRows : rows;
    options.columns = columns < 1 ? defaultColumns : columns;
    return options;
}

void TermOptions::save(SettingsStore &store) const
{
    store.write(Setting::TFontName, fontName);
    store.write(Setting::TFontChar, effectiveCharset());
    store.write(Setting::TFontSize, fontSize);
    store.write(Setting::TFontHeight, fontHeight);
    store.write(Setting::TFontBold, bold);
    store.write(Setting::TFontItalic, italic);
    store.write(Setting::TFontColor, foreground);
    store.write(Setting::BColor, background);
    store.write(Setting::IgnoreBC, ignoreBackground);
    store.write(Setting::TermEmu, termEmu);
    store.write(Setting::Rows, rows);
    store.write(Setting::Cols, columns);
    store.write(Setting::Doorway, doorway);
    store.write(Setting::ConfirmH, confirmHangup);
    store.write(Setting::Exitondis, exitOnDisconnect);
}
