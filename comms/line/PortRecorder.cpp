#include "comms/line/PortRecorder.h"

#include "shell/ProgramDir.h"
#include "shell/files/AtomicWrite.h"

#include <QDir>

PortRecorder::PortRecorder(QString fileName, qsizetype capacity)
    : fileName_(std::move(fileName))
    , capacity_(capacity)
{ }

QString PortRecorder::filePath() const
{
    return QDir(folder_.isEmpty() ? ProgramDir::resolve() : folder_).filePath(fileName_);
}

bool PortRecorder::setState(LogState state)
{
    error_.clear();
    bool ok = true;
    if (state == LogState::Dump) {
        if (state_ == LogState::On || !records_.empty())
            ok = dump();
        records_.clear();
        held_ = 0;
        dropped_ = 0;
        state = LogState::Off;
    }
    state_ = state;
    return ok;
}

namespace {

// What a record costs besides its bytes: the entry, its time and the array.
constexpr qsizetype recordOverhead = 64;
// Traffic in one direction within this time joins the record before it.
constexpr qint64 mergeWithinMs = 100;
constexpr qsizetype mergedRecordBytes = 4096;

} // namespace

void PortRecorder::record(Direction direction, const QByteArray &bytes)
{
    if (state_ != LogState::On || bytes.isEmpty())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    if (!records_.empty() && direction != Direction::Note) {
        Record &last = records_.back();
        if (last.direction == direction && last.bytes.size() + bytes.size() <= mergedRecordBytes
            && last.time.msecsTo(now) < mergeWithinMs) {
            last.bytes.append(bytes);
            held_ += bytes.size();
            trim();
            return;
        }
    }
    records_.push_back({now, direction, bytes});
    held_ += bytes.size() + recordOverhead;
    trim();
}

void PortRecorder::trim()
{
    while (held_ > capacity_ && records_.size() > 1) {
        held_ -= records_.front().bytes.size() + recordOverhead;
        dropped_ += records_.front().bytes.size();
        records_.pop_front();
    }
}

void PortRecorder::note(const QString &text)
{
    record(Direction::Note, text.toUtf8());
}

QString PortRecorder::format(const QDateTime &time, Direction direction, const QByteArray &bytes)
{
    const QString stamp = time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    if (direction == Direction::Note)
        return stamp + QStringLiteral("  --  ") + QString::fromUtf8(bytes) + QLatin1Char('\n');
    const QString tag = direction == Direction::Received ? QStringLiteral("RX") : QStringLiteral("TX");
    QString out;
    for (qsizetype at = 0; at < bytes.size(); at += 16) {
        const QByteArray row = bytes.mid(at, 16);
        QString hex;
        QString text;
        for (char c : row) {
            const auto byte = static_cast<unsigned char>(c);
            hex += QStringLiteral("%1 ").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
            text += byte >= 0x20 && byte < 0x7f ? QLatin1Char(c) : QLatin1Char('.');
        }
        out += QStringLiteral("%1  %2 %3  %4|%5|\n")
                   .arg(stamp, tag)
                   .arg(at, 6, 10, QLatin1Char('0'))
                   .arg(hex, -48)
                   .arg(text);
    }
    return out;
}

bool PortRecorder::dump()
{
    // Written record by record: no single string of the whole log.
    const QString failure = writeFileAtomically(filePath(), [this](QIODevice &out) {
        if (dropped_ > 0
            && out.write(QStringLiteral("(%1 earlier bytes were not kept)\n").arg(dropped_).toUtf8()) < 0)
            return false;
        for (const Record &record : records_)
            if (out.write(format(record.time, record.direction, record.bytes).toUtf8()) < 0)
                return false;
        return true;
    });
    if (failure.isEmpty())
        return true;
    error_ = QStringLiteral("Cannot write %1: %2").arg(filePath(), failure);
    return false;
}
