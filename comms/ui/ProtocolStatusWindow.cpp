#include "comms/ui/ProtocolStatusWindow.h"

#include "comms/transfer/ProtocolEngine.h"
#include "shell/settings/SettingsStore.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int progressSteps = 1000;
// Between the engine's status events the shown figures follow it at this pace.
constexpr int refreshIntervalMs = 250;
// Width of the file name field; longer names are shortened in the middle.
constexpr int fileNameChars = 44;

QLabel *valueLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString bytesText(qint64 bytes)
{
    return QLocale().toString(bytes);
}

} // namespace

ProtocolStatusWindow::ProtocolStatusWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("ProtocolStatus"));
    fileName_ = valueLabel(QStringLiteral("fileName"), this);
    fileName_->setFixedWidth(fontMetrics().averageCharWidth() * fileNameChars);
    fileSize_ = valueLabel(QStringLiteral("fileSize"), this);
    bytesDone_ = valueLabel(QStringLiteral("bytesDone"), this);
    rate_ = valueLabel(QStringLiteral("rate"), this);
    timeLeft_ = valueLabel(QStringLiteral("timeLeft"), this);
    errors_ = valueLabel(QStringLiteral("errors"), this);
    errors_->setWordWrap(true);
    result_ = valueLabel(QStringLiteral("result"), this);
    result_->hide();

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, progressSteps);
    progress_->setValue(0);

    briefBox_ = new QCheckBox(QStringLiteral("&Brief"), this);
    briefBox_->setObjectName(QStringLiteral("brief"));
    connect(briefBox_, &QCheckBox::toggled, this, &ProtocolStatusWindow::setBrief);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setEnabled(false);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (engine_)
            engine_->cancel();
    });

    details_ = new QFormLayout;
    details_->addRow(QStringLiteral("File name:"), fileName_);
    details_->addRow(QStringLiteral("File size:"), fileSize_);
    details_->addRow(QStringLiteral("Bytes transferred:"), bytesDone_);
    details_->addRow(QStringLiteral("Bytes per second:"), rate_);
    details_->addRow(QStringLiteral("Time left:"), timeLeft_);
    details_->addRow(QStringLiteral("Errors:"), errors_);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(briefBox_);
    buttons->addStretch(1);
    buttons->addWidget(cancel_);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(details_);
    layout->addWidget(progress_);
    layout->addWidget(result_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    refreshTimer_.setInterval(refreshIntervalMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &ProtocolStatusWindow::refresh);

    updateTitle(false);
    showStatus({});
}

void ProtocolStatusWindow::attach(ProtocolEngine *engine)
{
    if (engine_)
        disconnect(engine_, nullptr, this, nullptr);
    finishWatch_.reset();
    refreshTimer_.stop();
    engine_ = engine;
    result_->clear();
    result_->hide();
    if (!engine)
        return;
    connect(engine, &ProtocolEngine::statusChanged, this, &ProtocolStatusWindow::showStatus);
    finishWatch_ = engine->events().finish.attach(HandlerStage::Watchers, [this](int code) {
        showFinished(code);
        return false;
    });
    showStatus(engine->status());
    refreshTimer_.start();
}

void ProtocolStatusWindow::refresh()
{
    if (engine_ && engine_->inProgress())
        showStatus(engine_->status());
}

void ProtocolStatusWindow::setBrief(bool brief)
{
    if (brief == brief_)
        return;
    brief_ = brief;
    briefBox_->setChecked(brief);
    // The file name stays in both forms.
    for (int row = 1; row < details_->rowCount(); ++row)
        details_->setRowVisible(row, !brief);
    emit briefChanged(brief);
}

void ProtocolStatusWindow::loadBrief(SettingsStore &settings)
{
    setBrief(settings.read(Setting::BriefProtocol));
}

void ProtocolStatusWindow::saveBrief(SettingsStore &settings) const
{
    settings.write(Setting::BriefProtocol, brief_);
}

void ProtocolStatusWindow::updateTitle(bool sending)
{
    if (!engine_) {
        setWindowTitle(QStringLiteral("Protocol Status"));
        return;
    }
    const QString protocol = protocolDisplayName(engine_->protocolType());
    setWindowTitle(
        sending ? QStringLiteral("%1 upload").arg(protocol) : QStringLiteral("%1 download").arg(protocol));
}

void ProtocolStatusWindow::showStatus(const TransferStatus &status)
{
    const bool running = engine_ && engine_->inProgress();
    updateTitle(status.sending);
    cancel_->setEnabled(running);
    fileName_->setText(
        fileName_->fontMetrics().elidedText(status.fileName, Qt::ElideMiddle, fileName_->width()));
    fileName_->setToolTip(status.fileName);
    fileSize_->setText(status.fileSize >= 0 ? bytesText(status.fileSize) : QStringLiteral("unknown"));
    bytesDone_->setText(bytesText(status.bytesDone));
    rate_->setText(bytesText(status.bytesPerSecond));
    timeLeft_->setText(timeLeftText(status));
    errors_->setText(status.lastError.isEmpty()
            ? QString::number(status.errorCount)
            : QStringLiteral("%1 (%2)").arg(status.errorCount).arg(status.lastError));
    if (status.fileSize > 0) {
        progress_->setRange(0, progressSteps);
        const qint64 steps = status.bytesDone * progressSteps / status.fileSize;
        progress_->setValue(static_cast<int>(qBound(qint64(0), steps, qint64(progressSteps))));
    } else if (running && status.fileSize < 0) {
        progress_->setRange(0, 0); // size unknown: busy
    } else {
        progress_->setRange(0, progressSteps);
        progress_->setValue(status.fileSize == 0 && !status.fileName.isEmpty() ? progressSteps : 0);
    }
}

void ProtocolStatusWindow::showFinished(int code)
{
    refreshTimer_.stop();
    cancel_->setEnabled(false);
    if (progress_->maximum() == 0)
        progress_->setRange(0, progressSteps);
    if (code == TransferResult::Success)
        progress_->setValue(progressSteps);
    result_->setText(transferResultText(code));
    result_->show();
}

QString ProtocolStatusWindow::timeLeftText(const TransferStatus &status)
{
    if (status.fileSize < 0 || status.bytesPerSecond <= 0)
        return QStringLiteral("--:--");
    const qint64 seconds = qMax<qint64>(0, status.fileSize - status.bytesDone) / status.bytesPerSecond;
    const qint64 h = seconds / 3600;
    const qint64 m = seconds / 60 % 60;
    const qint64 s = seconds % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}
