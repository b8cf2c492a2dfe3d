#pragma once

#include <QImage>
#include <QList>
#include <QStringList>

// The icons phonebook entries can show: every "*.ico", "*.png" and "*.svg"
// below the icon folder in sorted order, with its 32 x 32 image; an entry's
// icon number is its index here and its icon file name is the bare file
// name of that icon.
class SessionIcons {
public:
    static constexpr int iconSize = 32;

    // The image of an icon file at size x size (vector icons drawn at that
    // size, others scaled to fit); a null image when the file cannot be
    // read as an image.
    static QImage read(const QString &file, int size = iconSize);

    // Rescans folder. A file that cannot be read as an image is skipped and
    // listed in skippedFiles(); false when any was skipped.
    bool LoadIcons(const QString &folder);
    QString folder() const { return folder_; }
    int count() const { return int(files_.size()); }
    // The icons' paths.
    QStringList files() const { return files_; }
    QList<QImage> images() const { return images_; }
    // A null image outside the list.
    QImage image(int index) const;
    // The bare file name of icon index; empty outside the list.
    QString fileName(int index) const;
    // The index of the icon an entry's icon file name names: its last path
    // component (either separator, so paths stored on Windows match too)
    // compared without case; -1 when the list has no such icon.
    int indexOf(const QString &iconName) const;
    QStringList skippedFiles() const { return skipped_; }

private:
    QString folder_;
    QStringList files_;
    QList<QImage> images_;
    QStringList skipped_;
};
