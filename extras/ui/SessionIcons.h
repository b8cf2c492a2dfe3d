#pragma once

#include <QImage>
#include <QList>
#include <QStringList>

// The icons phonebook entries can show: every "*.ico" below the icon
// folder in sorted order, with its 32 x 32 image; an entry's icon number
// is its index here.
class SessionIcons {
public:
    static constexpr int iconSize = 32;

    // Rescans folder; false when a file cannot be read as an icon (the list
    // keeps what was loaded before it).
    bool LoadIcons(const QString &folder);
    QStringList files() const { return files_; }
    QList<QImage> images() const { return images_; }
    QString failedFile() const { return failed_; }

private:
    QStringList files_;
    QList<QImage> images_;
    QString failed_;
};
