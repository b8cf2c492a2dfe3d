#include "transfer/ProtocolOptionsStore.h"

#include "sessions/PhonebookEntry.h"
#include "shell/settings/FlagText.h"
#include "shell/settings/SettingsStore.h"

#include <optional>

namespace {

bool flag(const PhonebookEntry &entry, PhoneField field)
{
    return FlagText::isTrue(entry.get(field));
}

// A count or a delay: a non-negative decimal number, else `fallback`.
int number(const PhonebookEntry &entry, PhoneField field, int fallback)
{
    bool ok = false;
    const int value = entry.get(field).toInt(&ok);
    return ok && value >= 0 ? value : fallback;
}

// An item number of a list with `items` entries; none when the field holds
// something else (an entry saved before these options existed).
std::optional<int> item(const PhonebookEntry &entry, PhoneField field, int items)
{
    bool ok = false;
    const int value = entry.get(field).toInt(&ok);
    if (!ok || value < 0 || value >= items)
        return std::nullopt;
    return value;
}

constexpr int writeFailActions = 4;
constexpr int zmodemFileOptions = 8;
constexpr int asciiTranslations = 4;

} // namespace

void LoadProtocolOptions(SettingsStore &settings, ProtocolOptions &options)
{
    options.honorDirectory = settings.read(Setting::HonorDirectory);
    options.includeDirectory = settings.read(Setting::IncludeDirectory);
    options.rtsLowForWrite = settings.read(Setting::RTSLowforWrite);
    options.abortNoCarrier = settings.read(Setting::AbortNoCarrier);
    if (const int action = settings.read(Setting::WriteFailAction); action >= 0 && action < writeFailActions)
        options.writeFailAction = WriteFailAction(action);
    options.zmodemOptionOverride = settings.read(Setting::ZmodemOptionOverride);
    options.zmodemSkipNoFile = settings.read(Setting::ZmodemSkipNoFile);
    options.zmodemRecover = settings.read(Setting::ZmodemRecover);
    options.zmodem8K = settings.read(Setting::Zmodem8K);
    if (const int option = settings.read(Setting::ZmodemFileOption);
        option >= 0 && option < zmodemFileOptions)
        options.zmodemFileOption = ZmodemFileOption(option);
    options.kermitMaxLen = settings.read(Setting::KermitMaxLen, options.kermitMaxLen);
    options.kermitMaxWindows = settings.read(Setting::KermitMaxWindows, options.kermitMaxWindows);
    options.kermitTimeoutSecs = settings.read(Setting::KermitTimeoutSecs, options.kermitTimeoutSecs);
    options.asciiCharDelayMs = settings.read(Setting::AsciiCharDelay, options.asciiCharDelayMs);
    options.asciiLineDelayMs = settings.read(Setting::AsciiLineDelay, options.asciiLineDelayMs);
    const int cr = settings.read(Setting::AsciiCRTranslation, int(options.asciiCr));
    if (cr >= 0 && cr < asciiTranslations)
        options.asciiCr = AsciiTranslation(cr);
    const int lf = settings.read(Setting::AsciiLFTranslation, int(options.asciiLf));
    if (lf >= 0 && lf < asciiTranslations)
        options.asciiLf = AsciiTranslation(lf);
    options.asciiEofTimeoutTicks = settings.read(Setting::AsciiEOFTimeout, options.asciiEofTimeoutTicks);
}

void ApplyEntryProtocolOptions(
    const PhonebookEntry &entry, bool viaTapi, ProtocolOptions &options, SettingsStore &settings)
{
    options.honorDirectory = flag(entry, PhoneField::Hincom);
    settings.write(Setting::HonorDirectory, options.honorDirectory);
    options.includeDirectory = flag(entry, PhoneField::IncOut);
    settings.write(Setting::IncludeDirectory, options.includeDirectory);
    options.rtsLowForWrite = flag(entry, PhoneField::RtsLow);
    settings.write(Setting::RTSLowforWrite, options.rtsLowForWrite);
    options.abortNoCarrier = flag(entry, PhoneField::Abortcd);
    settings.write(Setting::AbortNoCarrier, options.abortNoCarrier);
    if (const std::optional<int> action = item(entry, PhoneField::NameC, writeFailActions)) {
        options.writeFailAction = WriteFailAction(*action);
        settings.write(Setting::WriteFailAction, *action);
    }
    options.zmodemOptionOverride = flag(entry, PhoneField::FileOver);
    settings.write(Setting::ZmodemOptionOverride, options.zmodemOptionOverride);
    options.zmodemSkipNoFile = flag(entry, PhoneField::SkipNew);
    settings.write(Setting::ZmodemSkipNoFile, options.zmodemSkipNoFile);
    options.zmodemRecover = flag(entry, PhoneField::Crash);
    settings.write(Setting::ZmodemRecover, options.zmodemRecover);
    options.zmodem8K = flag(entry, PhoneField::Z8K);
    settings.write(Setting::Zmodem8K, options.zmodem8K);
    if (const std::optional<int> option = item(entry, PhoneField::Fileman, zmodemFileOptions)) {
        options.zmodemFileOption = ZmodemFileOption(*option);
        settings.write(Setting::ZmodemFileOption, *option);
    }
    options.kermitMaxLen = number(entry, PhoneField::KBlock, 64);
    settings.write(Setting::KermitMaxLen, options.kermitMaxLen);
    options.kermitMaxWindows = number(entry, PhoneField::KWindows, 0);
    settings.write(Setting::KermitMaxWindows, options.kermitMaxWindows);
    options.kermitTimeoutSecs = number(entry, PhoneField::KTimeout, 5);
    settings.write(Setting::KermitTimeoutSecs, options.kermitTimeoutSecs);
    options.asciiCharDelayMs = number(entry, PhoneField::CharDelay, 0);
    settings.write(Setting::AsciiCharDelay, options.asciiCharDelayMs);
    options.asciiLineDelayMs = number(entry, PhoneField::Linedelay, 0);
    settings.write(Setting::AsciiLineDelay, options.asciiLineDelayMs);
    if (const std::optional<int> cr = item(entry, PhoneField::CRTrans, asciiTranslations)) {
        options.asciiCr = AsciiTranslation(*cr);
        settings.write(Setting::AsciiCRTranslation, *cr);
    }
    if (const std::optional<int> lf = item(entry, PhoneField::LFTrans, asciiTranslations)) {
        options.asciiLf = AsciiTranslation(*lf);
        settings.write(Setting::AsciiLFTranslation, *lf);
    }
    options.asciiEofTimeoutTicks = number(entry, PhoneField::EofTo, 5);
    settings.write(Setting::AsciiEOFTimeout, options.asciiEofTimeoutTicks);
    if (viaTapi)
        options.abortNoCarrier = true;
}
