#include "shell/ui/HelpViewer.h"

#include <QFile>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// contexts.txt: one "<number> <page>" per line; '#' starts a comment.
QHash<int, QString> readContexts()
{
    QHash<int, QString> pages;
    QFile file(QStringLiteral(":/help/contexts.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return pages;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).section(QLatin1Char('#'), 0, 0).trimmed();
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool ok = false;
        const int context = parts.value(0).toInt(&ok);
        if (ok && parts.size() == 2)
            pages.insert(context, parts[1]);
    }
    return pages;
}

} // namespace

HelpViewer::HelpViewer(QWidget *parent)
    : parent_(parent)
{
    Q_INIT_RESOURCE(help);
}

HelpViewer::~HelpViewer()
{
    delete window_;
}

QString HelpViewer::pageFor(int context)
{
    static const QHash<int, QString> pages = readContexts();
    return QStringLiteral(":/help/") + pages.value(context, pages.value(HelpService::contents));
}

void HelpViewer::showHelp(int context)
{
    if (!window_) {
        window_ = new QWidget(parent_, Qt::Window);
        window_->setObjectName(QStringLiteral("HelpViewer"));
        window_->setWindowTitle(QStringLiteral("Tarnex Help"));
        window_->resize(640, 520);
        auto *layout = new QVBoxLayout(window_);
        layout->setContentsMargins(0, 0, 0, 0);
        browser_ = new QTextBrowser(window_);
        browser_->setOpenExternalLinks(true);
        layout->addWidget(browser_);
    }
    browser_->setSource(QUrl(QStringLiteral("qrc") + pageFor(context)));
    window_->show();
    window_->raise();
    window_->activateWindow();
}

QString HelpViewer::currentPage() const
{
    return browser_ ? browser_->source().toString() : QString();
}
