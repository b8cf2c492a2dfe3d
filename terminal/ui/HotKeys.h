#pragma once

#include <QObject>

#include <functional>
#include <vector>

class QKeyEvent;
class QWidget;

// The main window's key preview: sees every key meant for the window or a
// control in it before that control does, and runs the table's action for
// it. Installed on the application, so it also sees keys of the focused
// child; keys of other windows pass untouched.
class HotKeys : public QObject {
    Q_OBJECT
public:
    enum class Phase { Press, Release };
    // Gets the widget the key is meant for; true consumes the key. While an
    // action runs the preview is off, so keys it sends on pass untouched.
    using Action = std::function<bool(QWidget *target, const QKeyEvent &key)>;

    explicit HotKeys(QWidget &window, QObject *parent = nullptr);
    ~HotKeys() override;

    // The key with at least the modifiers, in the phase; auto-repeats are not hot keys.
    void add(int key, Qt::KeyboardModifiers modifiers, Phase phase, Action action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct HotKey {
        int key;
        Qt::KeyboardModifiers modifiers;
        Phase phase;
        Action action;
    };
    bool isFirstReceiver(QObject *watched) const;

    QWidget &window_;
    std::vector<HotKey> table_;
    bool running_ = false;
};
