#include "shell/ui/QtPrompt.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

void QtPrompt::warning(const QString &text)
{
    QMessageBox::warning(m_parent, QStringLiteral("Warning"), text, QMessageBox::Ok);
}

void QtPrompt::information(const QString &text)
{
    QMessageBox::information(m_parent, QStringLiteral("Information"), text, QMessageBox::Ok);
}

bool QtPrompt::confirm(const QString &text)
{
    return QMessageBox::question(m_parent, QStringLiteral("Confirm"), text,
               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
        == QMessageBox::Ok;
}

bool QtPrompt::askYesNo(const QString &text)
{
    return QMessageBox::warning(m_parent, QStringLiteral("Warning"), text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::Yes)
        == QMessageBox::Yes;
}

std::optional<QString> QtPrompt::input(const QString &caption, const QString &prompt, const QString &value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QStringList QtPrompt::chooseFiles(const FileRequest &request)
{
    switch (request.mode) {
    case FileRequest::Mode::Open: {
        const QString path
            = QFileDialog::getOpenFileName(m_parent, request.caption, request.folder, request.filter);
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    case FileRequest::Mode::OpenMany:
        return QFileDialog::getOpenFileNames(m_parent, request.caption, request.folder, request.filter);
    case FileRequest::Mode::Save: {
        const QString path
            = QFileDialog::getSaveFileName(m_parent, request.caption, request.folder, request.filter);
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    case FileRequest::Mode::Folder: {
        const QString path = QFileDialog::getExistingDirectory(m_parent, request.caption, request.folder);
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    }
    return {};
}
