#include "script/ui/Tscredit.h"

#include "script/ScriptError.h"
#include "script/ScriptFileText.h"
#include "script/TCustomScript.h"
#include "script/ui/ScriptHighlighter.h"
#include "shell/HelpService.h"
#include "shell/UserPrompt.h"
#include "shell/ui/FormPlacement.h"

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

Tscredit::Tscredit(Services services, QWidget *parent)
    : QDialog(parent)
    , services_(services)
{
    setObjectName(QStringLiteral("scredit"));
    setWindowTitle(QStringLiteral("Script Editor"));
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("Toolbar1"));
    toolBar_->setMovable(false);
    toolBar_->installEventFilter(this);
    const auto button = [this](const char *name, const char *caption, const std::function<void()> &action) {
        auto *tool = new QToolButton(toolBar_);
        tool->setObjectName(QString::fromLatin1(name));
        tool->setText(QString::fromLatin1(caption));
        tool->setToolButtonStyle(Qt::ToolButtonTextOnly);
        tool->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        connect(tool, &QToolButton::clicked, this, action);
        toolBar_->addWidget(tool);
        buttons_ << tool;
    };
    button("Load", "&Load", [this] { Load(); });
    button("Save", "&Save", [this] { Save(); });
    button("Check", "&Check", [this] { Check(); });
    button("New", "&New", [this] { New(); });
    button("Done", "&Done", [this] { Done(); });
    button("Help", "&Help", [this] { services_.help.showHelp(helpContext); });

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    new ScriptHighlighter(memo_->document());
    memo_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo_, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu menu(this);
        menu.addAction(QStringLiteral("Cut"), QKeySequence::Cut, memo_, &QPlainTextEdit::cut);
        menu.addAction(QStringLiteral("Copy"), QKeySequence::Copy, memo_, &QPlainTextEdit::copy);
        menu.addAction(QStringLiteral("Paste"), QKeySequence::Paste, memo_, &QPlainTextEdit::paste);
        menu.addAction(QStringLiteral("Check"), this, &Tscredit::Check);
        menu.exec(memo_->mapToGlobal(at));
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(memo_, 1);
    resize(560, 420);
    RestoreFormPlacement(services_.settings, *this);
    memo_->setFocus();
}

Tscredit::~Tscredit()
{
    SaveFormPlacement(services_.settings, *this);
}

QString Tscredit::fileFilter() const
{
    return QStringLiteral("Script Files (*.scr);;All Files (*)");
}

bool Tscredit::loadFile(const QString &path)
{
    const std::optional<QStringList> lines = ScriptFileText::read(path);
    if (!lines)
        return false;
    memo_->setPlainText(lines->join(QLatin1Char('\n')));
    currentFile_ = path;
    dialogName_ = path;
    return true;
}

void Tscredit::Load()
{
    FileRequest request;
    request.mode = FileRequest::Mode::Open;
    request.folder = dialogName_.isEmpty() ? services_.scriptDir : dialogName_;
    request.filter = fileFilter();
    const QStringList chosen = services_.prompt.chooseFiles(request);
    if (chosen.isEmpty())
        return;
    if (!loadFile(chosen.first())) {
        services_.prompt.warning(QStringLiteral("Cannot read ") + chosen.first());
        return;
    }
    memo_->document()->setModified(true);
}

bool Tscredit::writeTo(const QString &path)
{
    QStringList lines = memo_->toPlainText().split(QLatin1Char('\n'));
    // A text that ends with a line break has no empty line after it.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    if (!ScriptFileText::write(path, lines)) {
        services_.prompt.warning(QStringLiteral("Cannot write ") + path);
        return false;
    }
    memo_->document()->setModified(false);
    dialogName_ = path;
    return true;
}

bool Tscredit::Save()
{
    if (!currentFile_.isEmpty())
        return writeTo(currentFile_);
    FileRequest request;
    request.mode = FileRequest::Mode::Save;
    request.folder = dialogName_.isEmpty() ? services_.scriptDir : dialogName_;
    request.filter = fileFilter();
    const QStringList chosen = services_.prompt.chooseFiles(request);
    if (chosen.isEmpty())
        return false;
    QString path = chosen.first();
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".scr");
    if (!writeTo(path))
        return false;
    currentFile_ = path;
    return true;
}

void Tscredit::Check()
{
    if (!Save() || currentFile_.isEmpty())
        return;
    TCustomScript &script = services_.script;
    script.setScriptFile(currentFile_);
    try {
        script.PrepareScript();
    } catch (const EScriptBadStatement &) {
        services_.prompt.warning(
            QStringLiteral("Error in line number %1 - %2").arg(script.ErrLineNum()).arg(script.ErrDesc()));
        showLine(script.ErrLineNum());
        return;
    } catch (const EScriptFileError &) {
        services_.prompt.warning(QStringLiteral("Cannot read ") + currentFile_);
        return;
    }
    services_.prompt.information(QStringLiteral("Script is OK to use."));
}

// The failing line selected and in view (line 0, an undefined label: the
// last line).
void Tscredit::showLine(int line)
{
    QTextDocument *document = memo_->document();
    const QTextBlock block = line > 0 ? document->findBlockByNumber(line - 1) : document->lastBlock();
    QTextCursor cursor(block.isValid() ? block : document->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    memo_->setTextCursor(cursor);
    memo_->ensureCursorVisible();
    memo_->setFocus();
}

void Tscredit::New()
{
    dialogName_.clear();
    memo_->clear();
    memo_->document()->setModified(false);
    memo_->setFocus();
    currentFile_.clear();
}

void Tscredit::Done()
{
    if (memo_->document()->isModified() && !Save())
        return;
    accept();
}

bool Tscredit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == toolBar_ && event->type() == QEvent::Resize)
        layOutButtons();
    return QDialog::eventFilter(watched, event);
}

// Each button takes a sixth of the bar.
void Tscredit::layOutButtons()
{
    const QLayout *bar = toolBar_->layout();
    const QMargins margins = bar->contentsMargins();
    const int width = toolBar_->contentsRect().width() - margins.left() - margins.right()
        - bar->spacing() * int(buttons_.size());
    for (QToolButton *tool : buttons_)
        tool->setFixedWidth(qMax(1, width / int(buttons_.size())));
}
