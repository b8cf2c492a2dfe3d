#pragma once

#include <QByteArray>
#include <QString>

// The administrator password as it is kept: never the text itself, only
// salted PBKDF2-HMAC-SHA256 digests of it, so the world-readable settings file
// does not give it away. Two digests are kept, each with its own salt: one of
// the password as typed (for the access check, where blanks count) and one of
// it without leading and trailing blanks (what the old-password field of the
// change dialog is compared with).
//
// Stored form (value AP, 114 bytes):
//   13  "PBKDF2-SHA256"
//    1  format version, 1
//    4  iterations, big-endian
//   16  salt of the password as typed
//   32  its digest
//   16  salt of the trimmed password
//   32  its digest
// An empty value means no password.
class AdminSecret {
public:
    enum class State { None, Set, Unreadable };

    // No password: everything is open.
    AdminSecret() = default;
    // Fresh salts for `password`; an empty one gives no password.
    static AdminSecret seal(const QString &password, int iterations = defaultIterations);
    // The stored value read back; anything not in the form above is Unreadable.
    static AdminSecret fromStored(const QByteArray &stored);
    // A stored value that could not be read at all.
    static AdminSecret unreadable()
    {
        AdminSecret secret;
        secret.m_state = State::Unreadable;
        return secret;
    }

    State state() const { return m_state; }
    bool isEmpty() const { return m_state == State::None; }
    // What to store: empty for no password. An unreadable value has no stored form of its own.
    QByteArray stored() const;

    // `typed` is the password exactly. An empty password matches only the empty text.
    bool matches(const QString &typed) const;
    // `typed` is the password with its leading and trailing blanks removed.
    bool matchesTrimmed(const QString &typed) const;

    // The password without leading and trailing blanks (characters up to the space).
    static QString trimBlanks(const QString &text);

    static constexpr int defaultIterations = 100000;
    // A stored count beyond this is not a value this program wrote.
    static constexpr int maxIterations = 10000000;
    static constexpr int saltBytes = 16;
    static constexpr int digestBytes = 32;

private:
    struct Digest {
        QByteArray salt;
        QByteArray digest;
        bool matches(const QString &text, int iterations) const;
    };
    static Digest digestOf(const QString &text, int iterations);

    State m_state = State::None;
    int m_iterations = 0;
    Digest m_exact;
    Digest m_trimmed;
};
