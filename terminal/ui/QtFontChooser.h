#pragma once

#include "terminal/ui/FontChooser.h"

// FontChooser as a modal QFontDialog.
class QtFontChooser : public FontChooser {
public:
    std::optional<QFont> chooseFont(const QFont &initial, bool fixedPitchOnly, QWidget *parent) override;
};
