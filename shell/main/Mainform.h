#pragma once

#include "shell/MainView.h"
#include "terminal/TerminalGeometry.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class Terminal;

// The main window: tool bar, terminal and status bar. A view only: it builds
// the layout and the menus, shows what it is told and turns a click into a
// call on a controller. Entries whose controllers do not exist yet are
// present and disabled.
class TMainform : public QMainWindow, public MainView {
    Q_OBJECT
public:
    explicit TMainform(QWidget *parent = nullptr);

    static QString applicationTitle() { return QStringLiteral("Tarnex 7.0"); }

    Terminal *terminal() const { return terminal_; }
    // A menu entry, menu or tool button by the name the program uses for it.
    QAction *entry(const QString &name) const { return entries_.value(name); }
    QMenu *menu(const QString &name) const { return menus_.value(name); }
    QToolButton *button(const QString &name) const { return buttons_.value(name); }
    QList<QFrame *> lights() const { return lights_; }

    // Notices are written in colour 11 on the background, then these colours are restored.
    void DisplayTerm(const QString &text) override;
    // The terminal's default colours.
    void setTerminalColours(int foreground, int background);
    // The bars around the terminal, for sizing the window to it.
    WindowBars windowBars() const;
    void setLinePanel(const QString &text) override;
    void setStatusPanel(const QString &text) override;
    void setCaption(const QString &text) override { setWindowTitle(text); }
    void setTerminalActive(bool active) override;
    void setBPlusDetection(bool on) override;
    void focusTerminal() override;
    // The five lights: carrier, clear to send, data set ready, receive, transmit.
    void showLights(bool dcd, bool cts, bool dsr, bool rxd, bool txd);
    QString linePanel() const;
    QString statusPanel() const;
    void setClock(const QString &text);

    // Enables or disables what a dial, a modem hang-up or a transfer locks.
    void DisableBtns(bool enable) override;
    void setToolBarEnabled(bool enabled) override;
    void clearTerminal() override;
    void restoreWindow() override;
    // Tool tips of the tool bar, the status-bar buttons and the lights.
    void ShowBHint(bool show);
    // Tool-bar captions without accelerators while doorway mode is on, so
    // Alt combinations reach the other side.
    void Setcaptions(bool doorway);
    // Shows or hides the status bar; the window grows or shrinks by its
    // height so the terminal keeps its size.
    void showStatusBar(bool show);

    // Ends the close query: true lets the window close.
    void setCloseQuery(std::function<bool()> query) { closeQuery_ = std::move(query); }

signals:
    // The close was allowed; the window is about to go.
    void closed();
    void exitClicked();
    // Local files dropped on the window, in the order given.
    void filesDropped(const QStringList &paths);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct Item;
    QMenu *buildMenu(const QString &name, const QList<Item> &items, QWidget *parent);
    void buildToolBar();
    void buildStatusBar();
    void setLight(QFrame *light, bool lit);

    Terminal *terminal_ = nullptr;
    QToolBar *toolBar_ = nullptr;
    QHash<QString, QAction *> entries_;
    QHash<QString, QMenu *> menus_;
    QHash<QString, QToolButton *> buttons_;
    QList<QToolButton *> toolButtons_;
    QList<QFrame *> lights_;
    QList<QToolButton *> statusButtons_;
    QLabel *linePanel_ = nullptr;
    QLabel *statusPanel_ = nullptr;
    QLabel *clock_ = nullptr;
    std::function<bool()> closeQuery_;
    int foreground_ = 15;
    int background_ = 0;
};
