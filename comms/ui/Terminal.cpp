#include "comms/ui/Terminal.h"

#include "comms/keyboard/DoorwayKeys.h"
#include "comms/screen/Charsets.h"
#include "comms/ui/TerminalFont.h"
#include "comms/ui/TerminalPainter.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int cursorBlinkMs = 550;
constexpr int frameMs = 16;

} // namespace

Terminal::Terminal(QWidget *parent)
    : QWidget(parent)
    , scrollBar_(new QScrollBar(Qt::Vertical, this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    scrollBar_->hide();
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        offset_ = emu_.screen().firstVisibleLine() - value;
        update();
    });

    paintTimer_.setSingleShot(true);
    paintTimer_.setInterval(frameMs);
    connect(&paintTimer_, &QTimer::timeout, this, &Terminal::frame);
    blinkTimer_.setInterval(cursorBlinkMs);
    connect(&blinkTimer_, &QTimer::timeout, this, [this] {
        blinkOn_ = !blinkOn_;
        update();
    });
    blinkTimer_.start();

    connect(&emu_, &Termemu::changed, this, &Terminal::screenChanged);
    connect(&emu_, &Termemu::reply, this, [this](const QByteArray &bytes) {
        if (active_)
            emit sendBytes(bytes);
    });
    connect(&emu_, &Termemu::bPlusDetected, this, [this](char trigger) { bPlusTrigger_ = trigger; });
    connect(&emu_, &Termemu::keypadModeChanged, &keys_, &KeyEmu::setKeypadApplication);
    connect(&emu_, &Termemu::cursorKeyModeChanged, &keys_, &KeyEmu::setCursorKeysApplication);
    connect(&emu_, &Termemu::vt52ModeChanged, &keys_, &KeyEmu::setVt52Mode);
    connect(&emu_, &Termemu::sizeChanged, this, [this] { updateGeometry(); });
    connect(&emu_, &Termemu::bell, this, [] { QApplication::beep(); });

    setTerminalFont(TerminalFont::initial());
    lineCount_ = emu_.screen().bufferLineCount();
}

void Terminal::receive(const QByteArray &bytes)
{
    if (!active_)
        return;
    QString error;
    if (!capture_.write(bytes, &error))
        emit captureError(error);
    feed(bytes);
}

void Terminal::writeText(const QByteArray &bytes)
{
    feed(bytes);
}

void Terminal::feed(const QByteArray &bytes)
{
    bPlusTrigger_ = 0;
    const int taken = emu_.feed(bytes);
    if (taken < bytes.size() && bPlusTrigger_)
        emit bPlusStarted(bPlusTrigger_, bytes.mid(taken));
}

void Terminal::screenChanged()
{
    ScreenModel &screen = emu_.screen();
    const int count = screen.bufferLineCount();
    const int scrolled = screen.scrolledOff();
    // Lines that left the top of a full buffer.
    const int dropped = scrolled - (count - lineCount_);
    if (dropped > 0)
        selection_.dropLines(dropped);
    if (offset_ > 0)
        offset_ = qBound(0, offset_ + scrolled, screen.firstVisibleLine());
    else
        offset_ = 0;
    lineCount_ = count;
    screen.clearDamage();
    schedulePaint();
}

void Terminal::schedulePaint()
{
    if (!paintTimer_.isActive())
        paintTimer_.start();
}

void Terminal::frame()
{
    updateScrollBar();
    update();
    const QPoint cursor(screen().cursorColumn() + 1, screen().cursorRow() + 1);
    if (cursor != reportedCursor_) {
        reportedCursor_ = cursor;
        emit cursorMoved(cursor.y(), cursor.x());
    }
}

void Terminal::repaintNow()
{
    paintTimer_.stop();
    updateScrollBar();
    repaint();
}

void Terminal::setScrollBack(bool on)
{
    scrollBack_ = on;
    if (!on)
        offset_ = 0;
    scrollBar_->setVisible(on);
    updateScrollBar();
    updateGeometry();
    update();
}

void Terminal::scrollView(int lines)
{
    offset_ = qBound(0, offset_ + lines, emu_.screen().firstVisibleLine());
    updateScrollBar();
    update();
}

void Terminal::updateScrollBar()
{
    const QSignalBlocker blocker(scrollBar_);
    const int top = emu_.screen().firstVisibleLine();
    scrollBar_->setRange(0, top);
    scrollBar_->setPageStep(pageHeight());
    scrollBar_->setValue(top - offset_);
}

bool Terminal::setCapture(CaptureFile::Mode mode)
{
    QString error;
    if (capture_.setMode(mode, &error))
        return true;
    emit captureError(error);
    return false;
}

void Terminal::setColours(int foreground, int background)
{
    emu_.setColours(foreground, background);
    update();
}

void Terminal::clearScreen()
{
    emu_.clearScreen();
    selection_.clear();
}

void Terminal::clearScreenAndBuffer()
{
    emu_.clearScreenAndBuffer();
    selection_.clear();
    offset_ = 0;
}

void Terminal::copySelection()
{
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void Terminal::setPageSize(int rows, int columns)
{
    emu_.resize(qBound(1, rows, ScreenModel::BufferRows), qBound(1, columns, ScreenModel::MaxColumns));
    offset_ = 0;
    selection_.clear();
    updateGeometry();
    update();
}

void Terminal::setTerminalFont(const QFont &font)
{
    font_ = TerminalFont::resolve(font);
    cell_ = TerminalFont::cellSize(font_);
    updateGeometry();
    update();
}

QSize Terminal::sizeHint() const
{
    const int bar = scrollBack_ ? scrollBar_->sizeHint().width() : 0;
    return {columns() * cell_.width() + bar, pageHeight() * cell_.height()};
}

bool Terminal::event(QEvent *event)
{
    // In doorway mode the window's shortcuts and accelerators do not see the keys.
    if (event->type() == QEvent::ShortcutOverride && doorway_ && active_) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool Terminal::focusNextPrevChild(bool)
{
    return false; // Tab belongs to the host
}

bool Terminal::scrollKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
        scrollView(1);
        return true;
    case Qt::Key_Down:
        scrollView(-1);
        return true;
    case Qt::Key_PageUp:
        scrollView(pageHeight());
        return true;
    case Qt::Key_PageDown:
        scrollView(-pageHeight());
        return true;
    case Qt::Key_Home:
        scrollView(emu_.screen().firstVisibleLine());
        return true;
    case Qt::Key_End:
        scrollView(-offset_);
        return true;
    default:
        return false;
    }
}

void Terminal::keyPressEvent(QKeyEvent *event)
{
    if (scrollBack_) {
        if (!scrollKey(event->key()))
            event->ignore();
        return;
    }
    if (!active_) {
        event->ignore();
        return;
    }
    std::optional<QByteArray> bytes = keys_.translate(event->key(), event->modifiers());
    if (!bytes && doorway_)
        bytes = DoorwayKeys::translate(event->key(), event->modifiers());
    // Outside doorway mode Alt combinations belong to the window's menus.
    const bool altOnly = (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) == Qt::AltModifier;
    if (!bytes && !altOnly)
        bytes = typedBytes(event->text());
    if (!bytes)
        bytes = QByteArray();
    if (bytes->isEmpty()) {
        event->ignore();
        return;
    }
    send(*bytes);
}

QByteArray Terminal::typedBytes(const QString &text)
{
    QByteArray bytes;
    const bool cp437 = emu_.emulation() == Termemu::AnsiBbs;
    for (const QChar c : text) {
        int byte = -1;
        if (c.unicode() < 0x80) {
            byte = c.unicode();
        } else if (cp437) {
            const char32_t *table = cp437Table();
            for (int i = 0x80; i < 0x100 && byte < 0; ++i) {
                if (table[i] == c.unicode())
                    byte = i;
            }
        } else if (c.unicode() <= 0xFF) {
            byte = c.unicode();
        }
        if (byte < 0 || (typedFilter_ && !typedFilter_(char(byte))))
            continue;
        bytes.append(char(byte));
    }
    return bytes;
}

void Terminal::send(const QByteArray &bytes)
{
    if (offset_ > 0)
        scrollView(-offset_);
    emit sendBytes(bytes);
    if (halfDuplex_)
        feed(bytes);
}

void Terminal::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const TerminalPainter terminalPainter{
        emu_.screen(), selection_, font_, cell_, firstVisibleLine(), pageHeight(), blinkOn_, hasFocus()};
    terminalPainter.paint(painter, event->rect());
}

void Terminal::resizeEvent(QResizeEvent *)
{
    const int width = scrollBar_->sizeHint().width();
    scrollBar_->setGeometry(this->width() - width, 0, width, height());
}

TextPoint Terminal::pointAt(const QPoint &position) const
{
    const int row = qBound(0, position.y() / cell_.height(), pageHeight() - 1);
    const int column = qBound(0, (position.x() + cell_.width() / 2) / cell_.width(), columns());
    return {firstVisibleLine() + row, column};
}

void Terminal::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    selection_.start(pointAt(event->position().toPoint()));
    selecting_ = true;
    update();
}

void Terminal::mouseMoveEvent(QMouseEvent *event)
{
    if (!selecting_)
        return;
    // Dragging past the top or bottom scrolls the buffer into view.
    if (event->position().y() < 0)
        scrollView(1);
    else if (event->position().y() >= pageHeight() * cell_.height())
        scrollView(-1);
    selection_.extend(pointAt(event->position().toPoint()));
    update();
}

void Terminal::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && selecting_) {
        selection_.extend(pointAt(event->position().toPoint()));
        selecting_ = false;
        update();
    }
    emit mouseReleased(event->button(), event->position().toPoint());
}

void Terminal::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 40; // three lines a notch
    if (steps)
        scrollView(steps);
}
