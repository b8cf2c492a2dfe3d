#pragma once

#include <QFont>

#include <optional>

class QWidget;

// The font dialog, so the font commands can be driven without one: the product
// shows QFontDialog, tests answer from a script.
class FontChooser {
public:
    virtual ~FontChooser() = default;
    // The chosen font, or nothing when cancelled.
    virtual std::optional<QFont> chooseFont(const QFont &initial, bool fixedPitchOnly, QWidget *parent) = 0;
};
