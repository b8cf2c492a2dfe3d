#pragma once

#include <QFont>
#include <QSize>

class QPainter;
class QRect;
class ScreenModel;
class TextSelection;

// Draws rows of a screen buffer as a grid of character cells.
struct TerminalPainter {
    const ScreenModel &screen;
    const TextSelection &selection;
    QFont font;
    QSize cell;
    int viewTop = 0; // buffer index of the top row drawn
    int rows = 0;
    bool blinkOn = true; // phase of blinking text and cursor
    bool focused = false;

    void paint(QPainter &painter, const QRect &exposed) const;

private:
    void paintRow(QPainter &painter, int row) const;
    void paintCursor(QPainter &painter) const;
};
