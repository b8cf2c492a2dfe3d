#pragma once

#include <QByteArray>

#include <array>

// Telnet protocol engine for one connection, client or server side: option
// negotiation (RFC 1143 state per option), IAC doubling and undoubling,
// CR NUL handling outside binary mode, terminal type and window size.
// Pure byte processing: the caller writes whatever it returns.
class TelnetCodec {
public:
    enum class Side { Client, Server };

    enum Command : unsigned char {
        SE = 240,
        NOP = 241,
        DM = 242,
        BRK = 243,
        SB = 250,
        WILL = 251,
        WONT = 252,
        DO = 253,
        DONT = 254,
        IAC = 255,
    };
    enum Option : unsigned char {
        Binary = 0,
        Echo = 1,
        SuppressGoAhead = 3,
        TerminalType = 24,
        WindowSize = 31,
    };

    // Longest subnegotiation kept; anything longer is discarded unread.
    static constexpr int maxSubnegotiation = 512;

    explicit TelnetCodec(Side side);

    // Opening offers to send once the connection is up.
    QByteArray start();
    // Received bytes in; application data out. Negotiation answers are
    // appended to reply.
    QByteArray decode(const QByteArray &in, QByteArray &reply);
    // Application data out to the wire.
    QByteArray encode(const QByteArray &data) const;

    void setTerminalType(const QByteArray &name)
    {
        terminalType_ = name;
        terminalTypeAnswers_ = 0;
    }
    // Returns the window-size report to send when the option is agreed.
    QByteArray setWindowSize(int columns, int rows);
    QByteArray breakCommand() const;

    bool sendsBinary() const { return us_[Binary] == Yes; }
    bool receivesBinary() const { return him_[Binary] == Yes; }
    bool remoteEchoes() const { return him_[Echo] == Yes; }
    // True once every option we asked for has been answered.
    bool settled() const;

private:
    enum State : unsigned char { No, Yes, WantNo, WantYes };
    enum Parse { Data, Iac, Verb, Sub, SubIac };

    bool acceptLocal(unsigned char option) const;
    bool acceptRemote(unsigned char option) const;
    void request(QByteArray &out, unsigned char verb, unsigned char option);
    void onWill(unsigned char option, QByteArray &reply);
    void onWont(unsigned char option, QByteArray &reply);
    void onDo(unsigned char option, QByteArray &reply);
    void onDont(unsigned char option, QByteArray &reply);
    void afterLocalEnabled(unsigned char option, QByteArray &reply);
    void subnegotiation(QByteArray &reply);
    QByteArray windowSizeReport() const;

    Side side_;
    std::array<State, 256> us_{};
    std::array<State, 256> him_{};
    Parse parse_ = Data;
    unsigned char verb_ = 0;
    bool afterCr_ = false;
    bool subOverflow_ = false;
    QByteArray sub_;
    static constexpr int maxTerminalTypeAnswers = 4;
    int terminalTypeAnswers_ = 0;
    QByteArray terminalType_ = "ANSI";
    int columns_ = 80;
    int rows_ = 24;
};
