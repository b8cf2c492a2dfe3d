#pragma once

#include <QString>

#include <cstdint>

// Keywords of the script language and their codes as stored in TScriptNode.
namespace ScriptTables {

enum Command : std::uint8_t {
    NoCommand = 0,
    Comment = 1,
    Label = 2,
    InitPort = 3,
    DonePort = 4,
    Send = 5,
    Wait = 6,
    WaitMulti = 7,
    If = 8,
    Display = 9,
    Goto = 10,
    SendBreak = 11,
    Delay = 12,
    Set = 13,
    Upload = 14,
    Download = 15,
    ChDir = 16,
    Delete = 17,
    SendFile = 18,
    PlaySound = 19,
    WaitForTime = 20,
    ExecFile = 21,
    OpenClient = 22,
    Parity = 23,
    DataBits = 24,
    StopBits = 25,
    Capture = 26,
    CaptureFile = 27,
    Shutdown = 28,
    FileCopy = 29,
    ClearWindow = 30,
    ClearBuffer = 31,
    Input = 32,
    Compare = 33,
    ReadConfig = 34,
    WriteConfig = 35,
    Print = 36,
};

enum Condition : std::int16_t {
    Success = 1,
    Timeout = 1001,
    Fail = 1002,
    Connected = 1003,
    Disconnected = 1004,
    Error = 1005,
    Accepted = 1006,
    Equal = 2000,
    NotEqual = 2001,
};

enum SetOption : std::uint8_t {
    NoOption = 0,
    Retry = 1,
    Directory = 2,
    FileMask = 3,
    FileName = 4,
    WriteFail = 5,
    WriteRename = 6,
    WriteAnyway = 7,
    ZWriteClobber = 8,
    ZWriteProtect = 9,
    ZWriteNewer = 10,
    ZSkipNoFile = 11,
    AbortNoCarrier = 12,
    Result1 = 13,
    Result2 = 14,
    Variable = 15,
    ConfigFile = 16,
};

// The code of an upper-cased command word; NoCommand when it is none.
Command commandCode(const QString &word);
// The keyword of a stored command code ("label" for labels), empty for an unknown code.
QString commandName(int code);
// The code of an upper-cased condition keyword, 0 when it is none.
std::int16_t conditionCode(const QString &word);
// The code of an upper-cased SET option word; Variable for any other word.
SetOption setOption(const QString &word);
// Options whose value is a single word; the others take the rest of the line.
bool setOptionTakesWord(SetOption option);
// The transfer protocol number of an upper-cased name, 0 when unknown.
int protocolNumber(const QString &name);
// The FILECOPY mode of an upper-cased word, 0 when unknown.
int fileCopyMode(const QString &word);

} // namespace ScriptTables
