#include "script/ScriptTables.h"

#include <array>
#include <utility>

namespace ScriptTables {

namespace {

template <typename Code, std::size_t N>
Code find(const std::array<std::pair<const char *, Code>, N> &table, const QString &word, Code missing)
{
    for (const auto &[keyword, code] : table) {
        if (word == QLatin1String(keyword))
            return code;
    }
    return missing;
}

const std::array<std::pair<const char *, Command>, 34> commands{{
    {"INITPORT", InitPort},
    {"DONEPORT", DonePort},
    {"SEND", Send},
    {"WAIT", Wait},
    {"WAITMULTI", WaitMulti},
    {"IF", If},
    {"DISPLAY", Display},
    {"GOTO", Goto},
    {"SENDBREAK", SendBreak},
    {"DELAY", Delay},
    {"SET", Set},
    {"UPLOAD", Upload},
    {"DOWNLOAD", Download},
    {"CHDIR", ChDir},
    {"DELETE", Delete},
    {"SENDFILE", SendFile},
    {"PLAYSOUND", PlaySound},
    {"WAITFORTIME", WaitForTime},
    {"EXECFILE", ExecFile},
    {"OPENCLIENT", OpenClient},
    {"PARITY", Parity},
    {"DATABITS", DataBits},
    {"STOPBITS", StopBits},
    {"CAPTURE", Capture},
    {"CAPTUREFILE", CaptureFile},
    {"SHUTDOWN", Shutdown},
    {"FILECOPY", FileCopy},
    {"CLEARWINDOW", ClearWindow},
    {"CLEARBUFFER", ClearBuffer},
    {"INPUT", Input},
    {"COMPARE", Compare},
    {"READCONFIG", ReadConfig},
    {"WRITECONFIG", WriteConfig},
    {"PRINT", Print},
}};

const std::array<std::pair<const char *, std::int16_t>, 9> conditions{{
    {"SUCCESS", Success},
    {"TIMEOUT", Timeout},
    {"FAIL", Fail},
    {"CONNECTED", Connected},
    {"DISCONNECTED", Disconnected},
    {"ERROR", Error},
    {"ACCEPTED", Accepted},
    {"EQUAL", Equal},
    {"NOTEQUAL", NotEqual},
}};

const std::array<std::pair<const char *, SetOption>, 15> options{{
    {"RETRY", Retry},
    {"DIRECTORY", Directory},
    {"FILEMASK", FileMask},
    {"FILENAME", FileName},
    {"WRITEFAIL", WriteFail},
    {"WRITERENAME", WriteRename},
    {"WRITEANYWAY", WriteAnyway},
    {"ZWRITECLOBBER", ZWriteClobber},
    {"ZWRITEPROTECT", ZWriteProtect},
    {"ZWRITENEWER", ZWriteNewer},
    {"ZSKIPNOFILE", ZSkipNoFile},
    {"ABORTNOCARRIER", AbortNoCarrier},
    {"RESULT1", Result1},
    {"RESULT2", Result2},
    {"CONFIGFILE", ConfigFile},
}};

const std::array<std::pair<const char *, int>, 9> protocols{{
    {"XMODEM", 1},
    {"XMODEMCRC", 2},
    {"XMODEM1K", 3},
    {"XMODEM1KG", 4},
    {"YMODEM", 5},
    {"YMODEMG", 6},
    {"ZMODEM", 7},
    {"KERMIT", 8},
    {"ASCII", 9},
}};

const std::array<std::pair<const char *, int>, 4> copyModes{{
    {"ABSCENT", 1},
    {"NEWER", 2},
    {"DIFFERENT", 3},
    {"ALWAYS", 4},
}};

} // namespace

Command commandCode(const QString &word)
{
    return find(commands, word, NoCommand);
}

QString commandName(int code)
{
    if (code == Label)
        return QStringLiteral("label");
    for (const auto &[keyword, command] : commands) {
        if (command == code)
            return QLatin1String(keyword);
    }
    return {};
}

std::int16_t conditionCode(const QString &word)
{
    return find(conditions, word, std::int16_t(0));
}

SetOption setOption(const QString &word)
{
    return find(options, word, Variable);
}

bool setOptionTakesWord(SetOption option)
{
    return option != Variable && option != ConfigFile;
}

int protocolNumber(const QString &name)
{
    return find(protocols, name, 0);
}

int fileCopyMode(const QString &word)
{
    return find(copyModes, word, 0);
}

} // namespace ScriptTables
