#include "transfer/ProtocolOptionsChoices.h"

#include "sessions/PhonebookEntry.h"
#include "shell/settings/FlagText.h"

ProtocolOptionsChoices ProtocolOptionsChoices::from(
    const ProtocolOptions &options, const TransferSwitches &switches)
{
    ProtocolOptionsChoices choices;
    choices.honorDirectory = options.honorDirectory;
    choices.includeDirectory = options.includeDirectory;
    choices.rtsLowForWrite = options.rtsLowForWrite;
    choices.abortNoCarrier = options.abortNoCarrier;
    choices.launchApp = switches.launchApp;
    choices.writeFailAction = int(options.writeFailAction);
    choices.zmodemOptionOverride = options.zmodemOptionOverride;
    choices.zmodemSkipNoFile = options.zmodemSkipNoFile;
    choices.zmodemRecover = options.zmodemRecover;
    choices.zmodem8K = options.zmodem8K;
    choices.autoZmodem = switches.autoZmodem;
    choices.zmodemFileOption = int(options.zmodemFileOption);
    choices.kermitMaxLen = QString::number(options.kermitMaxLen);
    choices.kermitMaxWindows = QString::number(options.kermitMaxWindows);
    choices.kermitTimeoutSecs = QString::number(options.kermitTimeoutSecs);
    choices.asciiCharDelay = QString::number(options.asciiCharDelayMs);
    choices.asciiLineDelay = QString::number(options.asciiLineDelayMs);
    choices.asciiEofTimeout = QString::number(options.asciiEofTimeoutTicks);
    choices.asciiCr = int(options.asciiCr);
    choices.asciiLf = int(options.asciiLf);
    return choices;
}

void ProtocolOptionsChoices::store(PhonebookEntry &entry, TransferSwitches &switches) const
{
    switches.autoZmodem = autoZmodem;
    switches.launchApp = launchApp;
    entry.set(PhoneField::Hincom, FlagText::fromChecked(honorDirectory));
    entry.set(PhoneField::IncOut, FlagText::fromChecked(includeDirectory));
    entry.set(PhoneField::RtsLow, FlagText::fromChecked(rtsLowForWrite));
    entry.set(PhoneField::Abortcd, FlagText::fromChecked(abortNoCarrier));
    entry.set(PhoneField::NameC, QString::number(writeFailAction));
    entry.set(PhoneField::FileOver, FlagText::fromChecked(zmodemOptionOverride));
    entry.set(PhoneField::SkipNew, FlagText::fromChecked(zmodemSkipNoFile));
    entry.set(PhoneField::Crash, FlagText::fromChecked(zmodemRecover));
    entry.set(PhoneField::Z8K, FlagText::fromChecked(zmodem8K));
    entry.set(PhoneField::Fileman, QString::number(zmodemFileOption));
    entry.set(PhoneField::KBlock, kermitMaxLen);
    entry.set(PhoneField::KWindows, kermitMaxWindows);
    entry.set(PhoneField::KTimeout, kermitTimeoutSecs);
    entry.set(PhoneField::CharDelay, asciiCharDelay);
    entry.set(PhoneField::Linedelay, asciiLineDelay);
    entry.set(PhoneField::EofTo, asciiEofTimeout);
    entry.set(PhoneField::CRTrans, QString::number(asciiCr));
    entry.set(PhoneField::LFTrans, QString::number(asciiLf));
}
