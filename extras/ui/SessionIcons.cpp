#include "extras/ui/SessionIcons.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace {

QString lastComponent(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

} // namespace

QImage SessionIcons::read(const QString &file, int size)
{
    QImageReader reader(file);
    // Vector icons are drawn at the size shown rather than scaled down.
    const QSize natural = reader.size();
    if (reader.format() == "svg" && natural.isValid())
        reader.setScaledSize(natural.scaled(size, size, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return image;
    if (image.size() != image.size().scaled(size, size, Qt::KeepAspectRatio))
        image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (image.size() == QSize(size, size))
        return image;
    // A picture that is not square is centred on a clear square.
    QImage square(size, size, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawImage((size - image.width()) / 2, (size - image.height()) / 2, image);
    return square;
}

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
        const QImage image = read(file);
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
