#pragma once

#include "comms/keyboard/KeyEmu.h"
#include "comms/screen/Termemu.h"
#include "comms/terminal/CaptureFile.h"
#include "comms/terminal/TextSelection.h"

#include <QTimer>
#include <QWidget>
#include <functional>

class QScrollBar;

// The terminal window: shows what the line delivers through the screen emulator and sends what the
// user types, through the keyboard emulator, with sendBytes().
//
// Received data is parsed at once and painted at most once per frame, so a flood never starves
// typing. An inactive terminal neither shows received data nor sends keys; text written with
// writeText() is always shown.
class Terminal : public QWidget {
    Q_OBJECT
public:
    explicit Terminal(QWidget *parent = nullptr);

    Termemu &termemu() { return emu_; }
    const Termemu &termemu() const { return emu_; }
    KeyEmu &keyEmu() { return keys_; }
    const ScreenModel &screen() const { return emu_.screen(); }

    // Bytes from the line: captured, then shown (only while active).
    void receive(const QByteArray &bytes);
    // Shown as if received, control characters interpreted; not captured.
    void writeText(const QByteArray &bytes);

    void setActive(bool active) { active_ = active; }
    bool isActive() const { return active_; }
    // Local echo: what is sent is shown too.
    void setHalfDuplex(bool on) { halfDuplex_ = on; }
    bool halfDuplex() const { return halfDuplex_; }
    // Every key, Alt combinations included, goes to the line instead of the window's shortcuts.
    void setDoorway(bool on) { doorway_ = on; }
    bool doorway() const { return doorway_; }
    // While on, the scroll bar shows and the cursor and page keys move through the buffer.
    void setScrollBack(bool on);
    bool scrollBack() const { return scrollBack_; }
    // Lines the view is scrolled back from the live page.
    int scrollOffset() const { return offset_; }
    void scrollView(int lines);

    void setCaptureFile(const QString &name) { capture_.setFileName(name); }
    QString captureFile() const { return capture_.fileName(); }
    // Off, Overwrite or Append; false (and captureError) when the file cannot be opened.
    bool setCapture(CaptureFile::Mode mode);
    CaptureFile::Mode captureMode() const { return capture_.mode(); }

    // Colours (0-15) of text written from now on.
    void setColours(int foreground, int background);
    void clearScreen();
    void clearScreenAndBuffer();
    void repaintNow();

    bool hasSelection() const { return !selection_.isEmpty(); }
    QString selectedText() const { return selection_.text(emu_.screen()); }
    void copySelection();

    // Page size; the window shows the whole page.
    void setPageSize(int rows, int columns);
    int bufferRows() const { return ScreenModel::BufferRows; }
    int pageHeight() const { return emu_.screen().rows(); }
    int columns() const { return emu_.screen().columns(); }
    int visibleRows() const { return pageHeight(); }
    int visibleColumns() const { return columns(); }

    void setTerminalFont(const QFont &font);
    QFont terminalFont() const { return font_; }
    int charWidth() const { return cell_.width(); }
    int charHeight() const { return cell_.height(); }

    QString lineText(int bufferIndex) const { return emu_.screen().lineText(bufferIndex); }
    // Buffer index of the top row shown.
    int firstVisibleLine() const { return emu_.screen().firstVisibleLine() - offset_; }

    // Sees each typed character before it is sent; returning false swallows it.
    void setTypedCharFilter(std::function<bool(char)> filter) { typedFilter_ = std::move(filter); }

    QSize sizeHint() const override;

signals:
    // Keys and the emulator's replies, for the line.
    void sendBytes(const QByteArray &bytes);
    void captureError(const QString &message);
    // A B+ start sequence arrived; following holds the received bytes after it, not shown.
    void bPlusStarted(char trigger, const QByteArray &following);
    void mouseReleased(Qt::MouseButton button, const QPoint &position);
    // The cursor's page row and column (1-based), reported at most once per frame.
    void cursorMoved(int row, int column);

protected:
    bool event(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void feed(const QByteArray &bytes);
    void screenChanged();
    void schedulePaint();
    void send(const QByteArray &bytes);
    QByteArray typedBytes(const QString &text);
    bool scrollKey(int key);
    TextPoint pointAt(const QPoint &position) const;
    void updateScrollBar();
    void frame();

    Termemu emu_;
    KeyEmu keys_;
    CaptureFile capture_;
    TextSelection selection_;
    QScrollBar *scrollBar_;
    QTimer paintTimer_;
    QTimer blinkTimer_;
    QFont font_;
    QSize cell_;
    std::function<bool(char)> typedFilter_;
    int lineCount_ = 0;
    int offset_ = 0;
    QPoint reportedCursor_;
    char bPlusTrigger_ = 0;
    bool active_ = false;
    bool halfDuplex_ = false;
    bool doorway_ = false;
    bool scrollBack_ = false;
    bool selecting_ = false;
    bool blinkOn_ = true;
};
