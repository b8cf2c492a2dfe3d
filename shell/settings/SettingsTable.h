#pragma once

#include <QtGlobal>

// Every flat setting with its type and default. `name` is the spelling used when
// reading, `writtenAs` the one used when writing (names match without case, so
// the two only differ in spelling). A string default of nullptr means the
// default is computed by the caller (a folder, the protocol engine's value ...).
template <typename T> struct SettingSpec {
    const char *name;
    T def;
    const char *writtenAs = nullptr;
    const char *writeName() const { return writtenAs ? writtenAs : name; }
};
using IntegerSetting = SettingSpec<qint32>;
using BooleanSetting = SettingSpec<bool>;
using StringSetting = SettingSpec<const char *>;
struct BinarySetting {
    const char *name;
};

namespace Setting {

// Window, terminal and keyboard
inline constexpr IntegerSetting MainformL{"MainformL", 10};
inline constexpr IntegerSetting MainformT{"MainformT", 10};
inline constexpr IntegerSetting MainformW{"MainformW", 649};
inline constexpr IntegerSetting MainformH{"MainformH", 420};
inline constexpr IntegerSetting WindowState{"WindowState", 0};
inline constexpr IntegerSetting Rows{"Rows", 25};
inline constexpr IntegerSetting Cols{"Cols", 80};
inline constexpr StringSetting TFontName{"TFontName", "Terminal"};
inline constexpr IntegerSetting TFontChar{"TFontChar", 255};
inline constexpr IntegerSetting TFontSize{"TFontSize", 9};
inline constexpr IntegerSetting TFontHeight{"TFontHeight", -12};
inline constexpr BooleanSetting TFontBold{"TFontBold", false};
inline constexpr BooleanSetting TFontItalic{"TFontItalic", false};
inline constexpr IntegerSetting TFontColor{"TFontColor", 15};
inline constexpr IntegerSetting BColor{"BColor", 0};
inline constexpr BooleanSetting IgnoreBC{"IgnoreBC", false};
inline constexpr IntegerSetting TermEmu{"TermEmu", 1};
inline constexpr StringSetting KeyEmu{"KeyEmu", "ANSI"};
inline constexpr BooleanSetting AllKeys{"AllKeys", false};
inline constexpr BooleanSetting Extended{"Extended", true};
inline constexpr BooleanSetting Doorway{"Doorway", false};
inline constexpr BooleanSetting Echo{"Echo", false};
inline constexpr BooleanSetting AddCR{"AddCR", false, "Addcr"};
inline constexpr BooleanSetting Addlf{"Addlf", false};
inline constexpr BooleanSetting MapF{"MapF", true};
inline constexpr BooleanSetting ShowHint{"ShowHint", true, "SHowHint"};
inline constexpr BooleanSetting ShowComStat{"ShowComStat", true};
inline constexpr BooleanSetting Cmdline{"Cmdline", false, "CmdLine"};
inline constexpr BooleanSetting ConfirmH{"ConfirmH", true};
inline constexpr BooleanSetting Exitondis{"Exitondis", false, "ExitOnDis"};
inline constexpr BooleanSetting ShowNew690{"ShowNew690", false};

// Printing and capture
inline constexpr StringSetting Printer{"Printer", ""};
inline constexpr StringSetting PFontName{"PFontName", "Terminal"};
inline constexpr IntegerSetting PFontSize{"PFontSize", 9};
inline constexpr IntegerSetting PFontHeight{"pFontHeight", -12, "PfontHeight"};
inline constexpr IntegerSetting CaptureStyle{"CaptureStyle", 1};
inline constexpr StringSetting PrintEchoDevice{"PrintEchoDevice", "/dev/lp0"};

// Macros; MacsWidth and MacsHeight default to the floating bar's design size.
inline constexpr BooleanSetting ShowMacs{"ShowMacs", true};
inline constexpr BooleanSetting MacDocked{"MacDocked", true, "Macdocked"};
inline constexpr IntegerSetting MacroPage{"MacroPage", 0};
inline constexpr StringSetting Mac0{"Mac0", "Page 1"};
inline constexpr StringSetting Mac1{"Mac1", "Page 2"};
inline constexpr StringSetting Mac2{"Mac2", "Page 3"};
inline constexpr StringSetting Mac3{"Mac3", "Page 4"};
inline constexpr StringSetting Mac4{"Mac4", "Page 5"};
inline constexpr BooleanSetting MacOnTop{"MacOnTop", false};
inline constexpr IntegerSetting MacTab{"MacTab", 0};
inline constexpr IntegerSetting MacsLeft{"MacsLeft", 100};
inline constexpr IntegerSetting MacsTop{"MacsTop", 200};
inline constexpr IntegerSetting MacsWidth{"MacsWidth", 0};
inline constexpr IntegerSetting MacsHeight{"MacsHeight", 0};

// Directories (empty: a folder below ProgramDir)
inline constexpr StringSetting Upload{"Upload", ""};
inline constexpr StringSetting Download{"Download", ""};
inline constexpr StringSetting ScriptDir{"ScriptDir", ""};
inline constexpr StringSetting PhoneDir{"PhoneDir", ""};
// The phonebook window's view: 0 report, 1 large icons.
inline constexpr IntegerSetting PhoneView{"PhoneView", 0};
inline constexpr StringSetting SoundDir{"SoundDir", ""};

// Sounds; the file defaults lie in the sound folder.
inline constexpr StringSetting OnConnectWav{"OnConnectWav", nullptr};
inline constexpr StringSetting OnDisConnectWav{"OnDisConnectWav", nullptr};
inline constexpr StringSetting OnFileComplete{"OnFileComplete", nullptr, "OnFilecomplete"};
inline constexpr StringSetting OnFileFailed{"OnFileFailed", nullptr};
inline constexpr const char *defaultConnectWav = "glock.wav";
inline constexpr const char *defaultDisconnectWav = "close.wav";
inline constexpr const char *defaultFileCompleteWav = "filedone.wav";
inline constexpr const char *defaultFileFailedWav = "fileerror.wav";
inline constexpr BooleanSetting UseOnConnectWav{"UseOnConnectWav", true};
inline constexpr BooleanSetting UseOnDisConnectWav{"UseOnDisConnectWav", true};
inline constexpr BooleanSetting UseOnFileCompleteWav{"UseOnFileCompleteWav", true};
inline constexpr BooleanSetting UseOnFileErrorWav{"UseOnFileErrorWav", true};

// Logging
inline constexpr BooleanSetting AppLog{"AppLog", true};
inline constexpr BooleanSetting LogProt{"LogProt", false};
inline constexpr BooleanSetting LogCom{"LogCom", false, "Logcom"};
inline constexpr BooleanSetting TraceCom{"TraceCom", false};

// Connections
inline constexpr StringSetting AutoStartSession{"AutostartSession", "", "AutoStartSession"};
inline constexpr IntegerSetting DefaultQType{"DefaultQType", 3};
inline constexpr IntegerSetting Retries{"Retries", 3};
inline constexpr IntegerSetting WaitTime{"WaitTime", 5, "Waittime"};
inline constexpr BooleanSetting TelnetUseFirewall{"TELNETUSEFIREWALL", false};
inline constexpr StringSetting TelnetFirewallHost{"TelnetFirewallHost", ""};
inline constexpr StringSetting TelnetFirewallPort{"TelnetFirewallPort", "23"};
inline constexpr StringSetting TelnetFirewallPrompt{"TelnetFirewallPrompt", "Wingate>"};
// ComDevice<n>: device path of COM port n (empty: the standard mapping).
inline constexpr const char *comDevicePrefix = "ComDevice";

// Quick connect
inline constexpr StringSetting DefCom{"DefCom", "0", "Defcom"};
inline constexpr StringSetting DefIP{"DefIP", "127.0.0.1"};
inline constexpr StringSetting DefPort{"DefPort", "23"};
inline constexpr IntegerSetting DBaud{"DBaud", 7};
inline constexpr IntegerSetting DParity{"DParity", 0};
inline constexpr IntegerSetting DDBits{"DDBits", 0};
inline constexpr IntegerSetting DSBits{"DSbits", 0, "DSBits"};
inline constexpr BooleanSetting DDtr{"DDtr", false};
inline constexpr BooleanSetting DRts{"DRts", true};
inline constexpr BooleanSetting DSwt{"DSwt", false, "DSWT"};
inline constexpr BooleanSetting DSwr{"DSwr", false, "DSWR"};
inline constexpr StringSetting DXon{"DXon", "17"};
inline constexpr StringSetting DXoff{"DXoff", "19"};
inline constexpr StringSetting DInit{"DInit", "ATZ"};
inline constexpr StringSetting DCmd{"DCmd", "ATDT"};
// Stored in DInit and DCmd when the user cleared the field.
inline constexpr const char *emptyModemCommand = "`";

// Transfers; the protocol engine supplies the ASCII and Kermit defaults.
inline constexpr IntegerSetting DefaultP{"DefaultP", 0};
inline constexpr BooleanSetting AutoZmodem{"AutoZmodem", true};
inline constexpr BooleanSetting BriefProtocol{"BriefProtocol", false};
inline constexpr BooleanSetting LaunchApp{"LaunchApp", false};
inline constexpr IntegerSetting Protocol{"Protocol", 0};
inline constexpr BooleanSetting AbortNoCarrier{"AbortNoCarrier", false};
inline constexpr BooleanSetting HonorDirectory{"HonorDirectory", false};
inline constexpr BooleanSetting IncludeDirectory{"IncludeDirectory", false};
inline constexpr BooleanSetting RTSLowforWrite{"RTSLowforWrite", false};
inline constexpr BooleanSetting Zmodem8K{"Zmodem8K", false};
inline constexpr BooleanSetting ZmodemOptionOverride{"ZmodemOptionOverride", false};
inline constexpr BooleanSetting ZmodemRecover{"ZmodemRecover", false};
inline constexpr BooleanSetting ZmodemSkipNoFile{"ZmodemSkipNoFile", false};
inline constexpr IntegerSetting ZmodemFileOption{"ZmodemFileOption", 4};
inline constexpr IntegerSetting WriteFailAction{"WriteFailAction", 3};
inline constexpr IntegerSetting AsciiCRTranslation{"AsciiCRTranslation", 0};
inline constexpr IntegerSetting AsciiLFTranslation{"AsciiLFTranslation", 0};
inline constexpr IntegerSetting AsciiCharDelay{"AsciiCharDelay", 0};
inline constexpr IntegerSetting AsciiLineDelay{"AsciiLineDelay", 0};
inline constexpr IntegerSetting AsciiEOFTimeout{"AsciiEOFTimeout", 0};
inline constexpr IntegerSetting KermitMaxLen{"KermitMaxLen", 0};
inline constexpr IntegerSetting KermitMaxWindows{"KermitMaxWindows", 0};
inline constexpr IntegerSetting KermitTimeoutSecs{"KermitTimeoutSecs", 0};

// FTP values, kept and written back
inline constexpr StringSetting FtpDefPort{"FTP_DEFPORT", "21"};
inline constexpr IntegerSetting FtpRetries{"FTP_RETRIES", 0};
inline constexpr StringSetting FtpFirewall{"FTP_FIREWALL", ""};
inline constexpr StringSetting FtpFirewallPort{"FTP_FIREWALLPORT", "21"};
inline constexpr StringSetting FtpDownloadDir{"FTP_DOWNLOADDIR", ""};
inline constexpr StringSetting FtpAnonLogin{"FTP_ANONLOGIN", "anonymous"};
inline constexpr StringSetting FtpAnonPass{"FTP_ANONPASS", "guest@tarnex"};
inline constexpr StringSetting FtpLastHost{"FTP_LASTHOST", ""};
inline constexpr StringSetting FtpLastPort{"FTP_LASTPORT", ""};
inline constexpr BooleanSetting FtpUseFirewall{"FTP_USEFIREWALL", false};

// Other
inline constexpr StringSetting DefExt{"DefExt", "*.scr"};
// Administrator password, machine-wide.
inline constexpr BinarySetting AP{"AP"};

} // namespace Setting
