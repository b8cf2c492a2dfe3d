#include "extras/ui/SessionIcons.h"

#include <QDirIterator>
#include <QImageReader>

bool SessionIcons::LoadIcons(const QString &folder)
{
    files_.clear();
    images_.clear();
    failed_.clear();
    QStringList found;
    QDirIterator it(folder, {QStringLiteral("*.ico")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    found.sort();
    for (const QString &file : found) {
        QImageReader reader(file);
        const QImage image = reader.read();
        if (image.isNull()) {
            failed_ = file;
            return false;
        }
        files_ << file;
        images_ << image.scaled(iconSize, iconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return true;
}
