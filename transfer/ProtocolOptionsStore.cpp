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

// The switches and numbers: the entry's field, the option and its setting.
struct Switch {
    PhoneField field;
    bool ProtocolOptions::*option;
    BooleanSetting setting;
};
constexpr Switch switches[] = {
    {PhoneField::Hincom, &ProtocolOptions::honorDirectory, Setting::HonorDirectory},
    {PhoneField::IncOut, &ProtocolOptions::includeDirectory, Setting::IncludeDirectory},
    {PhoneField::RtsLow, &ProtocolOptions::rtsLowForWrite, Setting::RTSLowforWrite},
    {PhoneField::Abortcd, &ProtocolOptions::abortNoCarrier, Setting::AbortNoCarrier},
    {PhoneField::FileOver, &ProtocolOptions::zmodemOptionOverride, Setting::ZmodemOptionOverride},
    {PhoneField::SkipNew, &ProtocolOptions::zmodemSkipNoFile, Setting::ZmodemSkipNoFile},
    {PhoneField::Crash, &ProtocolOptions::zmodemRecover, Setting::ZmodemRecover},
    {PhoneField::Z8K, &ProtocolOptions::zmodem8K, Setting::Zmodem8K},
};

struct Number {
    PhoneField field;
    int ProtocolOptions::*option;
    IntegerSetting setting;
    // What an entry without a number gives.
    int entryDefault;
};
constexpr Number numbers[] = {
    {PhoneField::KBlock, &ProtocolOptions::kermitMaxLen, Setting::KermitMaxLen, 64},
    {PhoneField::KWindows, &ProtocolOptions::kermitMaxWindows, Setting::KermitMaxWindows, 0},
    {PhoneField::KTimeout, &ProtocolOptions::kermitTimeoutSecs, Setting::KermitTimeoutSecs, 5},
    {PhoneField::CharDelay, &ProtocolOptions::asciiCharDelayMs, Setting::AsciiCharDelay, 0},
    {PhoneField::Linedelay, &ProtocolOptions::asciiLineDelayMs, Setting::AsciiLineDelay, 0},
    {PhoneField::EofTo, &ProtocolOptions::asciiEofTimeoutTicks, Setting::AsciiEOFTimeout, 5},
};

} // namespace

void LoadProtocolOptions(SettingsStore &settings, ProtocolOptions &options)
{
    for (const Switch &spec : switches)
        options.*spec.option = settings.read(spec.setting);
    for (const Number &spec : numbers)
        options.*spec.option = settings.read(spec.setting, options.*spec.option);
    if (const int action = settings.read(Setting::WriteFailAction); action >= 0 && action < writeFailActions)
        options.writeFailAction = WriteFailAction(action);
    if (const int option = settings.read(Setting::ZmodemFileOption);
        option >= 0 && option < zmodemFileOptions)
        options.zmodemFileOption = ZmodemFileOption(option);
    const int cr = settings.read(Setting::AsciiCRTranslation, int(options.asciiCr));
    if (cr >= 0 && cr < asciiTranslations)
        options.asciiCr = AsciiTranslation(cr);
    const int lf = settings.read(Setting::AsciiLFTranslation, int(options.asciiLf));
    if (lf >= 0 && lf < asciiTranslations)
        options.asciiLf = AsciiTranslation(lf);
}

void ApplyEntryProtocolOptions(
    const PhonebookEntry &entry, bool viaTapi, ProtocolOptions &options, SettingsStore &settings)
{
    for (const Switch &field : switches) {
        options.*field.option = flag(entry, field.field);
        settings.write(field.setting, options.*field.option);
    }
    for (const Number &field : numbers) {
        options.*field.option = number(entry, field.field, field.entryDefault);
        settings.write(field.setting, options.*field.option);
    }
    if (const std::optional<int> action = item(entry, PhoneField::NameC, writeFailActions)) {
        options.writeFailAction = WriteFailAction(*action);
        settings.write(Setting::WriteFailAction, *action);
    }
    if (const std::optional<int> option = item(entry, PhoneField::Fileman, zmodemFileOptions)) {
        options.zmodemFileOption = ZmodemFileOption(*option);
        settings.write(Setting::ZmodemFileOption, *option);
    }
    if (const std::optional<int> cr = item(entry, PhoneField::CRTrans, asciiTranslations)) {
        options.asciiCr = AsciiTranslation(*cr);
        settings.write(Setting::AsciiCRTranslation, *cr);
    }
    if (const std::optional<int> lf = item(entry, PhoneField::LFTrans, asciiTranslations)) {
        options.asciiLf = AsciiTranslation(*lf);
        settings.write(Setting::AsciiLFTranslation, *lf);
    }
    if (viaTapi)
        options.abortNoCarrier = true;
}
