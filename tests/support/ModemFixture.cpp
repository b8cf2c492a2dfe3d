#include "support/ModemFixture.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

#include "support/TestFiles.h"

ModemFixture::~ModemFixture()
{
    stop();
}

bool ModemFixture::start(const QStringList &options, const QByteArray &callTable)
{
    if (!dir_.isValid() || !pty_.start())
        return false;
    QStringList arguments = options;
    if (!callTable.isEmpty()) {
        const QString table = dir_.filePath(QStringLiteral("calls"));
        if (!TestFiles::write(table, callTable))
            return false;
        arguments << QStringLiteral("--table") << table;
    }
    arguments << pty_.far();
    modem_.start(QStringLiteral(TARNEX_MODEM_FIXTURE), arguments);
    if (!modem_.waitForStarted(10000))
        return false;
    // The modem is ready once it says so; a listening one first prints its port.
    static const QRegularExpression listening(QStringLiteral("^LISTEN (\\d+)"));
    const bool listens = options.contains(QStringLiteral("--listen"));
    QByteArray out;
    const QDeadlineTimer deadline(20000);
    while (!log().contains("modem: ready") || (listens && !out.contains('\n'))) {
        if (deadline.hasExpired() || modem_.state() != QProcess::Running)
            return false;
        modem_.waitForReadyRead(100);
        out += modem_.readAllStandardOutput();
    }
    if (!listens)
        return true;
    const auto match = listening.match(QString::fromLatin1(out));
    listenPort_ = match.hasMatch() ? static_cast<quint16>(match.captured(1).toUInt()) : 0;
    return listenPort_ != 0;
}

QByteArray ModemFixture::log()
{
    log_ += modem_.readAllStandardError();
    return log_;
}

void ModemFixture::stop()
{
    if (modem_.state() != QProcess::NotRunning) {
        modem_.terminate();
        if (!modem_.waitForFinished(5000)) {
            modem_.kill();
            modem_.waitForFinished(5000);
        }
    }
    pty_.stop();
}

QByteArray telnetRefusals(const QByteArray &text)
{
    QByteArray out;
    const char iac = '\xff';
    for (qsizetype i = 0; i + 2 < text.size(); ++i) {
        if (text.at(i) != iac)
            continue;
        const auto verb = static_cast<unsigned char>(text.at(i + 1));
        if (verb == 0xfd) // DO -> WONT
            out += QByteArray("\xff\xfc") + text.at(i + 2);
        else if (verb == 0xfb) // WILL -> DONT
            out += QByteArray("\xff\xfe") + text.at(i + 2);
    }
    return out;
}

bool refuseTelnetUntilAnswered(const std::function<bool(int ms)> &wait,
    const std::function<QByteArray()> &got, const std::function<void(const QByteArray &)> &send)
{
    qsizetype answered = 0;
    const QDeadlineTimer deadline(30000);
    while (!wait(100)) {
        if (deadline.hasExpired())
            return false;
        const QByteArray text = got();
        const qsizetype lastIac = text.lastIndexOf('\xff');
        if (lastIac >= answered) {
            send(telnetRefusals(text.mid(answered)));
            answered = lastIac + 1;
        }
    }
    return true;
}
