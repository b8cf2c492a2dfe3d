#pragma once

#include "shell/HelpService.h"

#include <QHash>
#include <QPointer>
#include <QString>

class QTextBrowser;
class QWidget;

// The help window: shipped HTML pages, opened by context number. Links
// between pages work; an unknown context opens the contents page.
class HelpViewer : public HelpService {
public:
    explicit HelpViewer(QWidget *parent = nullptr);
    ~HelpViewer() override;

    void showHelp(int context) override;
    // The page a context opens (a resource path), for tests.
    static QString pageFor(int context);
    QWidget *window() const { return window_; }
    QString currentPage() const;

private:
    QPointer<QWidget> parent_;
    QPointer<QWidget> window_;
    QTextBrowser *browser_ = nullptr;
};
