#include "extras/ui/SessionIcons.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>

namespace {

QString lastComponent(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QImage readIcon(const QString &file)
{
    QImageReader reader(file);
    // Vector icons are drawn at the size shown rather than scaled down.
    if (reader.format() == "svg")
        reader.setScaledSize(QSize(SessionIcons::iconSize, SessionIcons::iconSize));
    const QImage image = reader.read();
    if (image.isNull() || image.size() == QSize(SessionIcons::iconSize, SessionIcons::iconSize))
        return image;
    return image.scaled(
        SessionIcons::iconSize, SessionIcons::iconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

bool SessionIcons::LoadIcons(const QString &folder)
{
    folder_ = folder;
    files_.clear();
    images_.clear();
    skipped_.clear();
    QStringList found;
    QDirIterator it(folder, {QStringLiteral("*.ico"), QStringLiteral("*.png"), QStringLiteral("*.svg")},
        QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    found.sort(Qt::CaseInsensitive);
    for (const QString &file : found) {
        const QImage image = readIcon(file);
        if (image.isNull()) {
            skipped_ << file;
            continue;
        }
        files_ << file;
        images_ << image;
    }
    return skipped_.isEmpty();
}

QImage SessionIcons::image(int index) const
{
    return index >= 0 && index < images_.size() ? images_.at(index) : QImage();
}

QString SessionIcons::fileName(int index) const
{
    return index >= 0 && index < files_.size() ? QFileInfo(files_.at(index)).fileName() : QString();
}

int SessionIcons::indexOf(const QString &iconName) const
{
    const QString wanted = lastComponent(iconName);
    if (wanted.isEmpty())
        return -1;
    for (int i = 0; i < files_.size(); ++i) {
        if (QFileInfo(files_.at(i)).fileName().compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
