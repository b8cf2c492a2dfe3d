#pragma once

#include "comms/screen/ScreenCell.h"

#include <QString>

#include <deque>
#include <vector>

// The character grid a terminal shows: a page of rows x columns at the bottom
// of a buffer of up to BufferRows rows, the rows above it being the lines that
// scrolled off the top of the page (scroll-back). Holds the cursor, the pen
// (attributes for new text), scroll region, tab stops and the modes that
// shape how text lands on the page. Knows nothing about escape sequences.
//
// Buffer indexes run from 0 (oldest scroll-back row) to bufferLineCount() - 1;
// the page starts at firstVisibleLine(). Page rows and columns are 0-based.
class ScreenModel {
public:
    static constexpr int BufferRows = 500;
    static constexpr int MaxColumns = 512;

    ScreenModel(int rows = 24, int columns = 80);

    // --- reading -------------------------------------------------------
    int rows() const { return rows_; }
    int columns() const { return cols_; }
    int bufferLineCount() const { return int(history_.size()) + rows_; }
    int firstVisibleLine() const { return int(history_.size()); }
    const ScreenLine &line(int bufferIndex) const;
    const ScreenLine &pageLine(int row) const { return page_[row]; }
    const ScreenCell &cell(int row, int column) const { return page_[row].cells[column]; }
    // Text of a buffer row without trailing blanks.
    QString lineText(int bufferIndex) const;

    int cursorRow() const { return row_; }
    int cursorColumn() const { return col_; }
    bool cursorVisible() const { return cursorVisible_; }
    bool reverseScreen() const { return reverseScreen_; }

    // --- change tracking for painters ----------------------------------
    // Grows with every change; a painter compares it with the value it drew.
    quint64 changeCount() const { return changes_; }
    bool isRowDirty(int row) const { return allDirty_ || dirty_[row]; }
    // Lines pushed into the scroll-back since the last clearDamage().
    int scrolledOff() const { return scrolledOff_; }
    void clearDamage();

    // --- pen and modes -------------------------------------------------
    struct Pen {
        quint8 fg = 7;
        quint8 bg = 0;
        quint8 flags = 0;
        bool operator==(const Pen &) const = default;
    };
    const Pen &pen() const { return pen_; }
    void setPen(const Pen &pen) { pen_ = pen; }
    // Colours that SGR 0 returns to and clear screen fills with.
    void setDefaultColours(int fg, int bg);
    int defaultForeground() const { return defaultFg_; }
    int defaultBackground() const { return defaultBg_; }
    void resetPen();

    bool autowrap() const { return autowrap_; }
    void setAutowrap(bool on);
    // Deferred: writing the last column leaves the cursor there and wraps
    // before the next character (DEC). Immediate: wraps at once (DOS ANSI).
    void setDeferredWrap(bool on) { deferredWrap_ = on; }
    bool originMode() const { return originMode_; }
    void setOriginMode(bool on);
    bool insertMode() const { return insertMode_; }
    void setInsertMode(bool on) { insertMode_ = on; }
    void setCursorVisible(bool on);
    void setReverseScreen(bool on);

    // --- text ----------------------------------------------------------
    void put(char32_t ch);
    // Writes bytes 0x20-0x7E through map (128 entries) or as they are when
    // map is null.
    void putRun(const uchar *bytes, int count, const char32_t *map);

    // --- cursor --------------------------------------------------------
    // Row and column relative to the scroll region when origin mode is on.
    void moveTo(int row, int column);
    void moveToColumn(int column);
    void moveToRow(int row);
    void cursorUp(int n);
    void cursorDown(int n);
    void cursorForward(int n);
    void cursorBackward(int n);
    void carriageReturn();
    void backspace();
    // Down one row, scrolling the region at its bottom margin.
    void index();
    void reverseIndex();
    void tab(int n = 1);
    void backTab(int n = 1);

    struct CursorState {
        int row = 0;
        int column = 0;
        Pen pen;
        bool originMode = false;
        bool wrapPending = false;
    };
    CursorState cursorState() const;
    void restoreCursorState(const CursorState &state);

    // --- tab stops and margins ------------------------------------------
    void setTabStop();
    void clearTabStop();
    void clearAllTabStops();
    void resetTabStops();
    // Rows 0-based, inclusive; an invalid region resets to the whole page.
    void setScrollRegion(int top, int bottom);
    int regionTop() const { return top_; }
    int regionBottom() const { return bottom_; }

    // --- editing -------------------------------------------------------
    // 0 from cursor to end, 1 from start to cursor, 2 all. Selective erase
    // spares protected cells.
    void eraseInDisplay(int mode, bool selective = false);
    void eraseInLine(int mode, bool selective = false);
    void eraseChars(int n);
    void insertChars(int n);
    void deleteChars(int n);
    void insertLines(int n);
    void deleteLines(int n);
    void scrollUp(int n);
    void scrollDown(int n);
    void fillWithE();
    void setLineSize(LineSize size);

    // Blank page, cursor home; scroll-back kept.
    void clearScreen();
    // Blank page and empty scroll-back.
    void clearScreenAndBuffer();
    // Rows are capped to BufferRows, columns to MaxColumns. Text is kept
    // top-left; rows that no longer fit above the cursor go to scroll-back.
    void resize(int rows, int columns);
    // Power-on state: modes, pen, margins, tab stops, cursor; text kept.
    void resetModes();

private:
    ScreenCell blank() const;
    int lineWidth(int row) const;
    void markDirty(int row);
    void markAllDirty();
    void blankLine(ScreenLine &line);
    void scrollRegionUp(int top, int bottom, int n);
    void scrollRegionDown(int top, int bottom, int n);
    void eraseCells(int row, int from, int to, bool selective);
    void wrapNow();
    void clampCursor();

    int rows_;
    int cols_;
    std::vector<ScreenLine> page_;
    std::deque<ScreenLine> history_;
    std::vector<quint8> tabs_;

    int row_ = 0;
    int col_ = 0;
    bool wrapPending_ = false;
    int top_ = 0;
    int bottom_ = 0;
    Pen pen_;
    quint8 defaultFg_ = 7;
    quint8 defaultBg_ = 0;

    bool autowrap_ = true;
    bool deferredWrap_ = true;
    bool originMode_ = false;
    bool insertMode_ = false;
    bool cursorVisible_ = true;
    bool reverseScreen_ = false;

    quint64 changes_ = 0;
    std::vector<quint8> dirty_;
    bool allDirty_ = true;
    int scrolledOff_ = 0;
};
