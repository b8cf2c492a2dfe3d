#pragma once

#include <QDialog>
#include <QString>

class QButtonGroup;
class QLayout;
class QCheckBox;
class QSpinBox;

// What the Terminal Settings dialog shows and edits.
struct TermFormValues {
    int foreground = 15; // 0-15, 8 and up tick "Bold"
    int background = 0;
    bool ignoreBackground = false;
    int rows = 25;
    int columns = 80;
    int termEmu = 1; // 1-5
    QString keyEmu = QStringLiteral("ANSI"); // a keyboard emulation type
    bool processExtended = true;
    bool processAll = false;
    bool mapF = true;
    bool addLf = false;
    bool addCr = false;
    bool confirmHangup = true;
    bool exitOnDisconnect = false;
    bool doorway = false;
};

// "Terminal Settings". The emulation and keyboard controls and the session
// boxes report each change at once; the colours, rows and columns, doorway and
// "Map F1-F10 to macros" are read from values() when it closes with OK.
class TTermForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int helpContext = 20;

    explicit TTermForm(QWidget *parent = nullptr);

    // Fills the controls without reporting changes.
    void setValues(const TermFormValues &values);
    TermFormValues values() const;

signals:
    void terminalEmulationChosen(int type);
    // "VT100" and "VT220" report the numeric-keypad types "VT100N" and "VT220N".
    void keyboardEmulationChosen(const QString &type);
    void processExtendedChanged(bool on);
    void processAllChanged(bool on);
    void crLfChanged(bool on);
    void lfCrChanged(bool on);
    void confirmHangupChanged(bool on);
    void exitOnDisconnectChanged(bool on);
    void fontRequested();
    void helpRequested();

private:
    struct ColourBox {
        QButtonGroup *colours;
        QCheckBox *bold;
    };
    QWidget *buildColourBox(const QString &title, const QString &name, ColourBox &box);
    QWidget *buildRadioBox(
        const QString &title, const QString &name, const QStringList &items, QButtonGroup *&group);
    QCheckBox *addCheck(QLayout *layout, const QString &caption, const QString &name);
    static void setColour(const ColourBox &box, int colour);
    static int colour(const ColourBox &box);

    ColourBox foreground_{};
    ColourBox background_{};
    QCheckBox *ignoreBackground_ = nullptr;
    QSpinBox *rows_ = nullptr;
    QSpinBox *columns_ = nullptr;
    QButtonGroup *termEmu_ = nullptr;
    QButtonGroup *keyEmu_ = nullptr;
    QCheckBox *processExtended_ = nullptr;
    QCheckBox *processAll_ = nullptr;
    QCheckBox *mapF_ = nullptr;
    QCheckBox *addLf_ = nullptr;
    QCheckBox *addCr_ = nullptr;
    QCheckBox *confirmHangup_ = nullptr;
    QCheckBox *exitOnDisconnect_ = nullptr;
    QCheckBox *doorway_ = nullptr;
};
