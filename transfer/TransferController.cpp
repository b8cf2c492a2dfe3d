// Starting transfers: the Transfer menu, dropped files, the host's B+ start.
#include "transfer/TransferController.h"

#include "comms/line/Comport.h"
#include "comms/line/ComportLink.h"
#include "comms/transfer/ProtocolEngine.h"
#include "extras/Directories.h"
#include "sessions/EntryEditorFields.h"
#include "sessions/SessionState.h"
#include "shell/DocumentLauncher.h"
#include "shell/MainView.h"
#include "shell/TLog.h"
#include "shell/UserPrompt.h"
#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"
#include "transfer/TransferDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

// Protocols that carry no file name: the user names the file received.
bool carriesNoName(ProtocolType type)
{
    switch (type) {
    case ProtocolType::Xmodem:
    case ProtocolType::XmodemCrc:
    case ProtocolType::Xmodem1K:
    case ProtocolType::Xmodem1KG:
    case ProtocolType::Ascii:
        return true;
    default:
        return false;
    }
}

bool isNetworkPath(const QString &path)
{
    return path.startsWith(QLatin1String("\\\\")) || path.startsWith(QLatin1String("//"));
}

QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

ProtocolType TransferController::chooseProtocol()
{
    const SessionState &state = parts_.state;
    const bool direct = state.connectionKind() == ConnectionKind::Direct;
    int preselected = 0;
    if (direct) {
        preselected = parts_.settings.read(Setting::DefaultP);
    } else {
        preselected = numberOr(state.currentEntry().get(PhoneField::Protocol), 1) - 1;
    }
    if (preselected < 0 || preselected >= int(ProtocolType::BPlus))
        preselected = -1;
    const int item = parts_.dialogs.chooseProtocol(preselected);
    if (item < 0 || item >= int(ProtocolType::BPlus))
        return ProtocolType::None;
    if (direct)
        parts_.settings.write(Setting::DefaultP, item);
    return ProtocolType(item + 1);
}

void TransferController::UploadDialog()
{
    if (isTransferring())
        return;
    const ProtocolType protocol = chooseProtocol();
    if (protocol == ProtocolType::None)
        return;
    const QString uploadDir = parts_.directories.upload;
    if (QDir(uploadDir).exists()) {
        parts_.engine.setDestinationDirectory(uploadDir);
    } else if (!parts_.prompt.askYesNo(QStringLiteral("Your upload directory (") + uploadDir
                   + QStringLiteral(") is invalid. Continue?"))) {
        parts_.engine.setDestinationDirectory({});
    } else {
        parts_.engine.setDestinationDirectory(uploadDir);
    }
    DoUpload(protocol, {});
}

void TransferController::DoUpload(ProtocolType protocol, const QString &fileName)
{
    if (isTransferring())
        return;
    if (!fileName.isEmpty()) {
        removeAutoTrigger(QStringLiteral("Removing Zmodem autostart"));
        uploadFileName_ = fileName;
        if (isBatchProtocol(protocol)) {
            batchList_ = {fileName};
            batchIndex_ = 0;
        }
        enterTransfer();
        resetProtocol(protocol);
        startSending();
        return;
    }
    parts_.log.write(QStringLiteral("Upload, type=%1").arg(int(protocol)));
    if (!isBatchProtocol(protocol)) {
        parts_.log.write(QStringLiteral("Non batch upload"));
        if (!pickSingleFile())
            return;
    } else if (!pickBatch()) {
        return;
    }
    removeAutoTrigger(QStringLiteral("Removing Zmodem autostart"));
    enterTransfer();
    resetProtocol(protocol);
    startSending();
}

bool TransferController::pickSingleFile()
{
    FileRequest request;
    request.mode = FileRequest::Mode::Open;
    request.folder = parts_.directories.upload;
    request.filter = QStringLiteral("Any File (*)");
    const QStringList picked = parts_.prompt.chooseFiles(request);
    if (picked.isEmpty())
        return false;
    const QFileInfo file(picked.first());
    parts_.directories.upload = withSlash(file.absolutePath());
    uploadFileName_ = file.absoluteFilePath();
    parts_.engine.setFileMask(uploadFileName_);
    return true;
}

bool TransferController::pickBatch()
{
    batchList_.clear();
    QString folder = parts_.directories.upload;
    if (folder.isEmpty())
        folder = parts_.programDir;
    if (isNetworkPath(folder)) {
        parts_.prompt.information(QStringLiteral(
            "If you are using a network connection then you must map the connection to a drive letter"));
        folder = parts_.programDir;
    }
    QString shown;
    const bool ok = parts_.dialogs.chooseBatch(batchList_, folder, shown);
    if (!shown.isEmpty())
        parts_.directories.upload = withSlash(shown);
    if (!ok || batchList_.isEmpty())
        return false;
    batchIndex_ = 0;
    parts_.log.write(QStringLiteral("File count=%1").arg(batchList_.size()));
    return true;
}

void TransferController::Recieve1Click()
{
    if (isTransferring())
        return;
    const ProtocolType protocol = chooseProtocol();
    if (protocol == ProtocolType::None)
        return;
    resetProtocol(protocol);
    parts_.engine.setDestinationDirectory(downloadDestination());
    if (carriesNoName(protocol)) {
        const std::optional<QString> name = parts_.prompt.input(
            QStringLiteral("File Transfer"), QStringLiteral("Input desired file name"), QString());
        // Cancelling the question starts nothing.
        if (!name)
            return;
        parts_.engine.setFileName(*name);
    }
    DoDownload();
}

void TransferController::DoDownload()
{
    if (isTransferring())
        return;
    parts_.log.write(QStringLiteral("Start download"));
    startReceiving({});
}

void TransferController::bPlusStarted(const QByteArray &start)
{
    if (isTransferring())
        return;
    resetProtocol(ProtocolType::BPlus);
    parts_.engine.setDestinationDirectory(downloadDestination());
    parts_.log.write(QStringLiteral("Start download"));
    startReceiving(start);
}

void TransferController::filesDropped(const QStringList &paths)
{
    if (!parts_.state.online() || paths.isEmpty() || isTransferring())
        return;
    if (isBatchProtocol(parts_.engine.protocolType())) {
        batchList_ = paths;
    } else {
        uploadFileName_ = paths.first();
        parts_.engine.setFileName(uploadFileName_);
    }
    batchIndex_ = 0;
    removeAutoTrigger(QString());
    enterTransfer();
    startSending();
}

void TransferController::cancelByUser()
{
    if (!isTransferring())
        return;
    // What the port still holds is dropped first, so the engine's cancel
    // sequence is what reaches the other side.
    parts_.port.flushOutBuffer();
    parts_.engine.cancel();
    parts_.view.setStatusPanel(QStringLiteral("Upload Canceled"));
}

void TransferController::ViewDownloadDir()
{
    if (!parts_.launcher.open(QUrl::fromLocalFile(parts_.directories.download)))
        parts_.log.write(QStringLiteral("Cannot show the folder ") + parts_.directories.download);
}

void TransferController::ViewUploadDir()
{
    if (!parts_.launcher.open(QUrl::fromLocalFile(parts_.directories.upload)))
        parts_.log.write(QStringLiteral("Cannot show the folder ") + parts_.directories.upload);
}

QString TransferController::downloadDestination() const
{
    const QString download = parts_.directories.download;
    return !download.isEmpty() && QDir(download).exists() ? download : parts_.programDir;
}

bool TransferController::isTransferring() const
{
    return parts_.engine.inProgress();
}

void TransferController::enterTransfer()
{
    parts_.view.setBPlusDetection(false);
    parts_.view.setTerminalActive(false);
    parts_.view.DisableBtns(false);
}

void TransferController::resetProtocol(ProtocolType protocol)
{
    parts_.engine.setProtocolType(ProtocolType::None);
    parts_.engine.setProtocolType(protocol);
}

bool TransferController::startSending()
{
    acceptedFileName_.clear();
    link_ = std::make_unique<ComportLink>(&parts_.port);
    parts_.engine.setLink(link_.get());
    emit transferStarted();
    return parts_.engine.startTransmit();
}

bool TransferController::startReceiving(const QByteArray &alreadyReceived)
{
    parts_.view.DisableBtns(false);
    removeAutoTrigger(QString());
    parts_.view.setBPlusDetection(false);
    parts_.view.setTerminalActive(false);
    acceptedFileName_.clear();
    link_ = std::make_unique<ComportLink>(&parts_.port);
    parts_.engine.setLink(link_.get());
    emit transferStarted();
    return parts_.engine.startReceive(alreadyReceived);
}
