#include "shell/rules/passwords.h"

#include "core/errorinfo.h"

#include <sodium.h>

namespace kq::shell {

namespace {

void ensureSodium()
{
    static const int result = sodium_init();
    if (result < 0)
        throw kq::platform::RuntimeError(
            5, QStringLiteral("Não foi possível iniciar a biblioteca de senhas."),
            QStringLiteral("libsodium"));
}

} // namespace

QString hashPassword(const QString &password)
{
    ensureSodium();
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, utf8.constData(), static_cast<unsigned long long>(utf8.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        throw kq::platform::RuntimeError(
            7, QStringLiteral("Memória insuficiente para gravar a senha."),
            QStringLiteral("libsodium"));
    return QString::fromLatin1(out);
}

bool isPasswordHash(const QString &text)
{
    return text.startsWith(QLatin1String(crypto_pwhash_STRPREFIX))
           && text.size() < crypto_pwhash_STRBYTES;
}

bool verifyPassword(const QString &password, const QString &storedHash)
{
    if (!isPasswordHash(storedHash))
        return false;
    ensureSodium();
    const QByteArray hash = storedHash.toLatin1();
    const QByteArray utf8 = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), utf8.constData(),
                                    static_cast<unsigned long long>(utf8.size()))
           == 0;
}

} // namespace kq::shell
