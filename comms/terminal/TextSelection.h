#pragma once

#include <QString>

class ScreenModel;

// A position between character cells: buffer line index and column boundary (0 = before the first
// cell).
struct TextPoint {
    int line = 0;
    int column = 0;
    auto operator<=>(const TextPoint &) const = default;
};

// A selection of the terminal buffer that runs like text from one point to another, kept in buffer
// coordinates so it stays on the same text while the page scrolls.
class TextSelection {
public:
    void start(TextPoint at);
    void extend(TextPoint to);
    void clear() { anchor_ = end_ = {}; }
    bool isEmpty() const { return anchor_ == end_; }
    bool contains(int line, int column) const;
    // The buffer dropped count lines at its top; the selection follows its text or goes.
    void dropLines(int count);
    // Rows joined by line ends (none where the text wrapped), trailing blanks removed.
    QString text(const ScreenModel &screen) const;

private:
    TextPoint begin() const { return std::min(anchor_, end_); }
    TextPoint end() const { return std::max(anchor_, end_); }

    TextPoint anchor_;
    TextPoint end_;
};
