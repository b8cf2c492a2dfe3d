#pragma once

#include <QByteArray>

#include <array>

// Prefix encoding of a Kermit data field: control characters that a line
// may act on quoted with QCTL (and toggled by 64), 8th-bit quoting with QBIN
// when negotiated, runs compressed with the repeat prefix when negotiated.
class KermitCodec {
public:
    // qbin and rept are 0 when not in use.
    KermitCodec(char qctl = '#', char qbin = 0, char rept = 0);

    // Whether the encoder prefixes this byte as a control character; other
    // control characters go as they are.
    static bool needsPrefix(unsigned char byte);

    char qctl() const { return qctl_; }
    char qbin() const { return qbin_; }
    char rept() const { return rept_; }

    // Appends the encoding of src to out, at most maxData bytes of it, and
    // returns how many bytes of src were consumed.
    qsizetype encode(const char *src, qsizetype length, int maxData, QByteArray &out) const;
    QByteArray encode(const QByteArray &src) const;

    // Appends the decoded field to out; false when the field is malformed
    // (a prefix with nothing after it, a bad repeat count).
    bool decode(const QByteArray &field, QByteArray &out) const;

private:
    struct Unit {
        char bytes[3];
        quint8 length;
    };

    char qctl_;
    char qbin_;
    char rept_;
    std::array<Unit, 256> units_{};
    // What a field byte begins when decoding, and what a byte after QCTL
    // stands for.
    enum Role : quint8 { Literal, ControlPrefix, OtherPrefix };
    std::array<Role, 256> roles_{};
    std::array<char, 256> unquoted_{};
};
