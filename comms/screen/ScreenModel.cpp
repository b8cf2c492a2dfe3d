#include "comms/screen/ScreenModel.h"

#include <algorithm>

namespace {
int clampInt(int v, int lo, int hi)
{
    return std::max(lo, std::min(v, hi));
}
} // namespace

ScreenModel::ScreenModel(int rows, int columns)
    : rows_(clampInt(rows, 1, BufferRows))
    , cols_(clampInt(columns, 1, MaxColumns))
{
    page_.resize(rows_);
    for (auto &l : page_)
        blankLine(l);
    bottom_ = rows_ - 1;
    dirty_.assign(rows_, 1);
    resetTabStops();
}

const ScreenLine &ScreenModel::line(int bufferIndex) const
{
    const int h = int(history_.size());
    return bufferIndex < h ? history_[bufferIndex] : page_[bufferIndex - h];
}

QString ScreenModel::lineText(int bufferIndex) const
{
    if (bufferIndex < 0 || bufferIndex >= bufferLineCount())
        return {};
    const ScreenLine &l = line(bufferIndex);
    int n = int(l.cells.size());
    if (l.size != LineSize::Normal)
        n /= 2;
    while (n > 0 && l.cells[n - 1].ch == U' ')
        --n;
    std::u32string text;
    text.reserve(n);
    for (int i = 0; i < n; ++i)
        text.push_back(l.cells[i].ch);
    return QString::fromStdU32String(text);
}

void ScreenModel::clearDamage()
{
    std::fill(dirty_.begin(), dirty_.end(), 0);
    allDirty_ = false;
    scrolledOff_ = 0;
}

void ScreenModel::markDirty(int row)
{
    dirty_[row] = 1;
    ++changes_;
}

void ScreenModel::markAllDirty()
{
    allDirty_ = true;
    ++changes_;
}

void ScreenModel::setDefaultColours(int fg, int bg)
{
    defaultFg_ = quint8(fg & 15);
    defaultBg_ = quint8(bg & 15);
    resetPen();
}

void ScreenModel::resetPen()
{
    pen_ = Pen{defaultFg_, defaultBg_, 0};
}

void ScreenModel::setAutowrap(bool on)
{
    autowrap_ = on;
    if (!on)
        wrapPending_ = false;
}

void ScreenModel::setOriginMode(bool on)
{
    originMode_ = on;
    moveTo(0, 0);
}

void ScreenModel::setCursorVisible(bool on)
{
    if (cursorVisible_ != on) {
        cursorVisible_ = on;
        ++changes_;
    }
}

void ScreenModel::setReverseScreen(bool on)
{
    if (reverseScreen_ != on) {
        reverseScreen_ = on;
        markAllDirty();
    }
}

ScreenCell ScreenModel::blank() const
{
    return ScreenCell{U' ', pen_.fg, pen_.bg, 0, 0};
}

int ScreenModel::lineWidth(int row) const
{
    return page_[row].size == LineSize::Normal ? cols_ : std::max(1, cols_ / 2);
}

void ScreenModel::blankLine(ScreenLine &l)
{
    l.cells.assign(cols_, blank());
    l.size = LineSize::Normal;
    l.wrapped = false;
}

// ---------------------------------------------------------------- text

void ScreenModel::wrapNow()
{
    page_[row_].wrapped = true;
    wrapPending_ = false;
    col_ = 0;
    index();
}

void ScreenModel::put(char32_t ch)
{
    if (wrapPending_)
        wrapNow();
    const int width = lineWidth(row_);
    auto &cells = page_[row_].cells;
    if (insertMode_)
        std::move_backward(cells.begin() + col_, cells.begin() + width - 1, cells.begin() + width);
    const quint8 fg = (pen_.flags & CellBold) ? quint8(pen_.fg | 8) : pen_.fg;
    cells[col_] = ScreenCell{ch, fg, pen_.bg, pen_.flags, 0};
    markDirty(row_);
    if (col_ < width - 1) {
        ++col_;
    } else if (autowrap_) {
        if (deferredWrap_)
            wrapPending_ = true;
        else
            wrapNow();
    }
}

void ScreenModel::putRun(const uchar *bytes, int count, const char32_t *map)
{
    if (insertMode_) {
        for (int i = 0; i < count; ++i)
            put(map ? map[bytes[i]] : char32_t(bytes[i]));
        return;
    }
    const quint8 fg = (pen_.flags & CellBold) ? quint8(pen_.fg | 8) : pen_.fg;
    ScreenCell c{U' ', fg, pen_.bg, pen_.flags, 0};
    int i = 0;
    while (i < count) {
        if (wrapPending_)
            wrapNow();
        const int width = lineWidth(row_);
        ScreenCell *out = page_[row_].cells.data() + col_;
        const int take = std::min(width - col_, count - i);
        if (map) {
            for (int k = 0; k < take; ++k) {
                c.ch = map[bytes[i + k]];
                out[k] = c;
            }
        } else {
            for (int k = 0; k < take; ++k) {
                c.ch = bytes[i + k];
                out[k] = c;
            }
        }
        i += take;
        col_ += take;
        markDirty(row_);
        if (col_ >= width) {
            col_ = width - 1;
            if (autowrap_) {
                if (deferredWrap_)
                    wrapPending_ = true;
                else
                    wrapNow();
            }
        }
    }
}

// ---------------------------------------------------------------- cursor

void ScreenModel::clampCursor()
{
    row_ = clampInt(row_, 0, rows_ - 1);
    col_ = clampInt(col_, 0, lineWidth(row_) - 1);
}

void ScreenModel::moveTo(int row, int column)
{
    if (originMode_)
        row_ = clampInt(row + top_, top_, bottom_);
    else
        row_ = clampInt(row, 0, rows_ - 1);
    col_ = clampInt(column, 0, lineWidth(row_) - 1);
    wrapPending_ = false;
    ++changes_;
}

void ScreenModel::moveToColumn(int column)
{
    col_ = clampInt(column, 0, lineWidth(row_) - 1);
    wrapPending_ = false;
    ++changes_;
}

void ScreenModel::moveToRow(int row)
{
    moveTo(row, col_);
}

void ScreenModel::cursorUp(int n)
{
    const int limit = row_ >= top_ ? top_ : 0;
    row_ = std::max(limit, row_ - std::max(1, n));
    clampCursor();
    wrapPending_ = false;
    ++changes_;
}

void ScreenModel::cursorDown(int n)
{
    const int limit = row_ <= bottom_ ? bottom_ : rows_ - 1;
    row_ = std::min(limit, row_ + std::max(1, std::min(n, rows_)));
    clampCursor();
    wrapPending_ = false;
    ++changes_;
}

void ScreenModel::cursorForward(int n)
{
    col_ = std::min(lineWidth(row_) - 1, col_ + std::max(1, std::min(n, cols_)));
    wrapPending_ = false;
    ++changes_;
}

void ScreenModel::cursorBackward(int n)
{
    col_ = std::max(0, col_ - std::max(1, n));
    wrapPending_ = false;
    ++changes_;
}

void ScreenModel::carriageReturn()
{
    col_ = 0;
    wrapPending_ = false;
    ++changes_;
}

void ScreenModel::backspace()
{
    if (col_ > 0)
        --col_;
    wrapPending_ = false;
    ++changes_;
}

void ScreenModel::index()
{
    wrapPending_ = false;
    if (row_ == bottom_)
        scrollRegionUp(top_, bottom_, 1);
    else if (row_ < rows_ - 1)
        ++row_;
    clampCursor();
    ++changes_;
}

void ScreenModel::reverseIndex()
{
    wrapPending_ = false;
    if (row_ == top_)
        scrollRegionDown(top_, bottom_, 1);
    else if (row_ > 0)
        --row_;
    clampCursor();
    ++changes_;
}

void ScreenModel::tab(int n)
{
    const int width = lineWidth(row_);
    for (int k = std::max(1, std::min(n, cols_)); k > 0 && col_ < width - 1; --k) {
        ++col_;
        while (col_ < width - 1 && !tabs_[col_])
            ++col_;
    }
    wrapPending_ = false;
    ++changes_;
}

void ScreenModel::backTab(int n)
{
    for (int k = std::max(1, std::min(n, cols_)); k > 0 && col_ > 0; --k) {
        --col_;
        while (col_ > 0 && !tabs_[col_])
            --col_;
    }
    wrapPending_ = false;
    ++changes_;
}

ScreenModel::CursorState ScreenModel::cursorState() const
{
    return CursorState{row_, col_, pen_, originMode_, wrapPending_};
}

void ScreenModel::restoreCursorState(const CursorState &state)
{
    row_ = state.row;
    col_ = state.column;
    pen_ = state.pen;
    originMode_ = state.originMode;
    clampCursor();
    wrapPending_ = state.wrapPending && autowrap_ && col_ == lineWidth(row_) - 1;
    ++changes_;
}

// ---------------------------------------------------------------- tabs, margins

void ScreenModel::setTabStop()
{
    tabs_[col_] = 1;
}

void ScreenModel::clearTabStop()
{
    tabs_[col_] = 0;
}

void ScreenModel::clearAllTabStops()
{
    std::fill(tabs_.begin(), tabs_.end(), 0);
}

void ScreenModel::resetTabStops()
{
    tabs_.assign(cols_, 0);
    for (int c = 8; c < cols_; c += 8)
        tabs_[c] = 1;
}

void ScreenModel::setScrollRegion(int top, int bottom)
{
    top = std::max(0, top);
    bottom = std::min(rows_ - 1, bottom);
    if (top >= bottom)
        return;
    top_ = top;
    bottom_ = bottom;
    moveTo(0, 0);
}

// ---------------------------------------------------------------- scrolling

void ScreenModel::scrollRegionUp(int top, int bottom, int n)
{
    n = std::min(n, bottom - top + 1);
    if (n <= 0)
        return;
    const bool keep = top == 0 && top_ == 0 && bottom == rows_ - 1;
    const size_t capacity = size_t(BufferRows - rows_);
    for (int k = 0; k < n; ++k) {
        ScreenLine out = std::move(page_[top]);
        if (keep && capacity > 0) {
            history_.push_back(std::move(out));
            ++scrolledOff_;
            out = ScreenLine{};
            if (history_.size() > capacity) {
                out = std::move(history_.front());
                history_.pop_front();
            }
        }
        std::move(page_.begin() + top + 1, page_.begin() + bottom + 1, page_.begin() + top);
        page_[bottom] = std::move(out);
        blankLine(page_[bottom]);
    }
    markAllDirty();
}

void ScreenModel::scrollRegionDown(int top, int bottom, int n)
{
    n = std::min(n, bottom - top + 1);
    if (n <= 0)
        return;
    std::rotate(page_.begin() + top, page_.begin() + bottom + 1 - n, page_.begin() + bottom + 1);
    for (int r = top; r < top + n; ++r)
        blankLine(page_[r]);
    markAllDirty();
}

void ScreenModel::scrollUp(int n)
{
    scrollRegionUp(top_, bottom_, std::max(1, n));
}

void ScreenModel::scrollDown(int n)
{
    scrollRegionDown(top_, bottom_, std::max(1, n));
}

void ScreenModel::insertLines(int n)
{
    if (row_ < top_ || row_ > bottom_)
        return;
    scrollRegionDown(row_, bottom_, std::max(1, n));
    col_ = 0;
    wrapPending_ = false;
}

void ScreenModel::deleteLines(int n)
{
    if (row_ < top_ || row_ > bottom_)
        return;
    n = std::min(std::max(1, n), bottom_ - row_ + 1);
    std::rotate(page_.begin() + row_, page_.begin() + row_ + n, page_.begin() + bottom_ + 1);
    for (int r = bottom_ + 1 - n; r <= bottom_; ++r)
        blankLine(page_[r]);
    col_ = 0;
    wrapPending_ = false;
    markAllDirty();
}

// ---------------------------------------------------------------- erasing

void ScreenModel::eraseCells(int row, int from, int to, bool selective)
{
    auto &cells = page_[row].cells;
    to = std::min(to, cols_ - 1);
    const ScreenCell b = blank();
    for (int c = std::max(0, from); c <= to; ++c) {
        if (!selective || !(cells[c].flags & CellProtected))
            cells[c] = b;
    }
    markDirty(row);
}

void ScreenModel::eraseInDisplay(int mode, bool selective)
{
    wrapPending_ = false;
    auto eraseRow = [&](int r) {
        eraseCells(r, 0, cols_ - 1, selective);
        page_[r].size = LineSize::Normal;
        page_[r].wrapped = false;
    };
    switch (mode) {
    case 0:
        eraseCells(row_, col_, cols_ - 1, selective);
        for (int r = row_ + 1; r < rows_; ++r)
            eraseRow(r);
        break;
    case 1:
        for (int r = 0; r < row_; ++r)
            eraseRow(r);
        eraseCells(row_, 0, col_, selective);
        break;
    case 2:
        for (int r = 0; r < rows_; ++r)
            eraseRow(r);
        break;
    default:
        break;
    }
}

void ScreenModel::eraseInLine(int mode, bool selective)
{
    wrapPending_ = false;
    switch (mode) {
    case 0:
        eraseCells(row_, col_, cols_ - 1, selective);
        page_[row_].wrapped = false;
        break;
    case 1:
        eraseCells(row_, 0, col_, selective);
        break;
    case 2:
        eraseCells(row_, 0, cols_ - 1, selective);
        page_[row_].wrapped = false;
        break;
    default:
        break;
    }
}

void ScreenModel::eraseChars(int n)
{
    wrapPending_ = false;
    n = std::max(1, std::min(n, cols_));
    eraseCells(row_, col_, col_ + n - 1, false);
}

void ScreenModel::insertChars(int n)
{
    wrapPending_ = false;
    const int width = lineWidth(row_);
    n = std::max(1, std::min(n, width - col_));
    auto &cells = page_[row_].cells;
    std::move_backward(cells.begin() + col_, cells.begin() + width - n, cells.begin() + width);
    std::fill(cells.begin() + col_, cells.begin() + col_ + n, blank());
    markDirty(row_);
}

void ScreenModel::deleteChars(int n)
{
    wrapPending_ = false;
    const int width = lineWidth(row_);
    n = std::max(1, std::min(n, width - col_));
    auto &cells = page_[row_].cells;
    std::move(cells.begin() + col_ + n, cells.begin() + width, cells.begin() + col_);
    std::fill(cells.begin() + width - n, cells.begin() + width, blank());
    markDirty(row_);
}

void ScreenModel::fillWithE()
{
    const ScreenCell e{U'E', defaultFg_, defaultBg_, 0, 0};
    for (auto &l : page_) {
        l.cells.assign(cols_, e);
        l.size = LineSize::Normal;
        l.wrapped = false;
    }
    top_ = 0;
    bottom_ = rows_ - 1;
    row_ = col_ = 0;
    wrapPending_ = false;
    markAllDirty();
}

void ScreenModel::setLineSize(LineSize size)
{
    ScreenLine &l = page_[row_];
    if (l.size == size)
        return;
    l.size = size;
    if (size != LineSize::Normal) {
        const int half = std::max(1, cols_ / 2);
        std::fill(l.cells.begin() + half, l.cells.end(), blank());
        col_ = std::min(col_, half - 1);
    }
    wrapPending_ = false;
    markDirty(row_);
}

// ---------------------------------------------------------------- whole page

void ScreenModel::clearScreen()
{
    for (auto &l : page_)
        blankLine(l);
    row_ = col_ = 0;
    wrapPending_ = false;
    markAllDirty();
}

void ScreenModel::clearScreenAndBuffer()
{
    history_.clear();
    clearScreen();
}

void ScreenModel::resize(int rows, int columns)
{
    rows = clampInt(rows, 1, BufferRows);
    columns = clampInt(columns, 1, MaxColumns);
    if (columns != cols_) {
        const ScreenCell b{U' ', defaultFg_, defaultBg_, 0, 0};
        for (auto &l : page_)
            l.cells.resize(columns, b);
        const int old = cols_;
        tabs_.resize(columns, 0);
        for (int c = std::max(8, (old + 7) / 8 * 8); c < columns; c += 8)
            tabs_[c] = 1;
        cols_ = columns;
    }
    if (rows < rows_ && row_ >= rows) {
        const int shift = row_ - rows + 1;
        for (int k = 0; k < shift; ++k)
            history_.push_back(std::move(page_[k]));
        page_.erase(page_.begin(), page_.begin() + shift);
        row_ -= shift;
    }
    const int oldRows = int(page_.size());
    page_.resize(rows);
    for (int r = oldRows; r < rows; ++r)
        blankLine(page_[r]);
    rows_ = rows;
    while (history_.size() > size_t(BufferRows - rows_))
        history_.pop_front();
    top_ = 0;
    bottom_ = rows_ - 1;
    dirty_.assign(rows_, 1);
    wrapPending_ = false;
    clampCursor();
    markAllDirty();
}

void ScreenModel::resetModes()
{
    resetPen();
    autowrap_ = true;
    originMode_ = false;
    insertMode_ = false;
    cursorVisible_ = true;
    reverseScreen_ = false;
    top_ = 0;
    bottom_ = rows_ - 1;
    wrapPending_ = false;
    resetTabStops();
    markAllDirty();
}
