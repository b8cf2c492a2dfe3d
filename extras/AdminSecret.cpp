#include "extras/AdminSecret.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QtEndian>

namespace {

const QByteArray tag = QByteArrayLiteral("PBKDF2-SHA256");
constexpr char version = 1;
constexpr qsizetype storedSize = 13 + 1 + 4 + 2 * (AdminSecret::saltBytes + AdminSecret::digestBytes);

QByteArray randomSalt()
{
    QByteArray salt;
    while (salt.size() < AdminSecret::saltBytes) {
        const quint32 word = QRandomGenerator::system()->generate();
        salt.append(reinterpret_cast<const char *>(&word), sizeof word);
    }
    return salt;
}

QByteArray derive(const QString &text, const QByteArray &salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(
        QCryptographicHash::Sha256, text.toUtf8(), salt, iterations, AdminSecret::digestBytes);
}

// Compares without stopping at the first difference.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

QString AdminSecret::trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= ' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= ' ')
        --end;
    return text.mid(begin, end - begin);
}

AdminSecret::Digest AdminSecret::digestOf(const QString &text, int iterations)
{
    Digest digest{randomSalt(), {}};
    digest.digest = derive(text, digest.salt, iterations);
    return digest;
}

bool AdminSecret::Digest::matches(const QString &text, int iterations) const
{
    return sameBytes(derive(text, salt, iterations), digest);
}

AdminSecret AdminSecret::seal(const QString &password, int iterations)
{
    AdminSecret secret;
    if (password.isEmpty())
        return secret;
    secret.m_state = State::Set;
    secret.m_iterations = iterations;
    secret.m_exact = digestOf(password, iterations);
    secret.m_trimmed = digestOf(trimBlanks(password), iterations);
    return secret;
}

AdminSecret AdminSecret::fromStored(const QByteArray &stored)
{
    AdminSecret secret;
    if (stored.isEmpty())
        return secret;
    secret.m_state = State::Unreadable;
    if (stored.size() != storedSize || !stored.startsWith(tag) || stored[tag.size()] != version)
        return secret;
    const char *at = stored.constData() + tag.size() + 1;
    const quint32 iterations = qFromBigEndian<quint32>(at);
    if (iterations == 0 || iterations > quint32(maxIterations))
        return secret;
    at += 4;
    const auto take = [&at](int size) {
        QByteArray bytes(at, size);
        at += size;
        return bytes;
    };
    secret.m_exact.salt = take(saltBytes);
    secret.m_exact.digest = take(digestBytes);
    secret.m_trimmed.salt = take(saltBytes);
    secret.m_trimmed.digest = take(digestBytes);
    secret.m_iterations = int(iterations);
    secret.m_state = State::Set;
    return secret;
}

QByteArray AdminSecret::stored() const
{
    if (m_state != State::Set)
        return {};
    QByteArray bytes = tag;
    bytes.append(version);
    char count[4];
    qToBigEndian<quint32>(quint32(m_iterations), count);
    bytes.append(count, 4);
    bytes += m_exact.salt + m_exact.digest + m_trimmed.salt + m_trimmed.digest;
    return bytes;
}

bool AdminSecret::matches(const QString &typed) const
{
    switch (m_state) {
    case State::None:
        return typed.isEmpty();
    case State::Set:
        return m_exact.matches(typed, m_iterations);
    case State::Unreadable:
        break;
    }
    return false;
}

bool AdminSecret::matchesTrimmed(const QString &typed) const
{
    switch (m_state) {
    case State::None:
        return typed.isEmpty();
    case State::Set:
        return m_trimmed.matches(typed, m_iterations);
    case State::Unreadable:
        break;
    }
    return false;
}
