#pragma once

#include <QString>

#include <stdexcept>

// Shared vocabulary of the line: device layers, modes, flow settings, log
// states, trigger kinds and the error the port raises.

enum class DeviceLayer { Serial = 2, Socket = 3 };
enum class SocketMode { Client, Server };
enum class SoftwareFlow { None, Receive, Transmit, Both };
enum class LogState { Off, On, Dump };
enum class TriggerKind { Data, Timer, Status };
enum class StatusTriggerType { ModemStatus, OutputFree };

// Hardware flow bits.
namespace HardwareFlow {
inline constexpr int UseDtr = 1;
inline constexpr int UseRts = 2;
inline constexpr int RequireDsr = 4;
inline constexpr int RequireCts = 8;
} // namespace HardwareFlow

// Modem-status line masks for status triggers.
namespace ModemLine {
inline constexpr int Cts = 16;
inline constexpr int Dsr = 32;
inline constexpr int Ring = 64;
inline constexpr int Dcd = 128;
} // namespace ModemLine

// Error codes carried by ComportError and the socket error event. Socket codes
// keep the numbers Windows sockets used, which users of the program know.
namespace ComportCode {
inline constexpr int DeviceMissing = 2;
inline constexpr int PermissionDenied = 5;
inline constexpr int InUse = 32;
inline constexpr int BadSetting = 87;
inline constexpr int NotOpen = 1001;
inline constexpr int Unsupported = 1002;
inline constexpr int DeviceGone = 1003;
inline constexpr int IoError = 1004;
inline constexpr int HandlerFailed = 1005;
inline constexpr int OutputFull = 1006;
inline constexpr int InputClaimed = 1007;
inline constexpr int NoAddress = 10049;
inline constexpr int AddressInUse = 10048;
inline constexpr int NetworkUnreachable = 10051;
inline constexpr int ConnectionReset = 10054;
inline constexpr int TimedOut = 10060;
inline constexpr int ConnectionRefused = 10061;
inline constexpr int HostNotFound = 11001;
} // namespace ComportCode

class ComportError : public std::runtime_error {
public:
    ComportError(int code, const QString &message)
        : std::runtime_error(message.toStdString())
        , code_(code)
        , message_(message)
    { }
    int code() const { return code_; }
    QString message() const { return message_; }

private:
    int code_;
    QString message_;
};
