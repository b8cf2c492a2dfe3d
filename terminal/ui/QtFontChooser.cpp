#include "terminal/ui/QtFontChooser.h"

#include <QFontDialog>

std::optional<QFont> QtFontChooser::chooseFont(const QFont &initial, bool fixedPitchOnly, QWidget *parent)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent, QString(),
        fixedPitchOnly ? QFontDialog::MonospacedFonts : QFontDialog::FontDialogOptions());
    if (!ok)
        return std::nullopt;
    return font;
}
