// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The values of Chromium's cookie databases decrypted with libcrypto, which stays out of every run
// that reads no Chromium-family login.
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <QByteArray>
#include <memory>

#include "platform/chromium_cookies.h"

namespace {

constexpr int kAesBlock = 16;
constexpr int kKeyBytes = 16;
// The database version from which the plain text starts with the digest of the host.
constexpr int kDigestVersion = 24;

QByteArray deriveKey(const QByteArray& password) {
    static const QByteArray salt("saltysalt");
    QByteArray key(kKeyBytes, '\0');
    if (PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                               reinterpret_cast<const unsigned char*>(salt.constData()),
                               int(salt.size()), 1, kKeyBytes,
                               reinterpret_cast<unsigned char*>(key.data())) != 1) {
        return {};
    }
    return key;
}

bool aes128CbcDecrypt(const QByteArray& key, const QByteArray& cipher, QByteArray* plain) {
    if (key.size() != kKeyBytes || cipher.isEmpty() || cipher.size() % kAesBlock != 0) {
        return false;
    }
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(
        EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!context) {
        return false;
    }
    const QByteArray iv(kAesBlock, ' ');
    const auto* keyBytes = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* ivBytes = reinterpret_cast<const unsigned char*>(iv.constData());
    if (EVP_DecryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, keyBytes, ivBytes) != 1) {
        return false;
    }
    QByteArray out(cipher.size() + kAesBlock, '\0');
    int written = 0;
    int last = 0;
    auto* outBytes = reinterpret_cast<unsigned char*>(out.data());
    if (EVP_DecryptUpdate(context.get(), outBytes, &written,
                          reinterpret_cast<const unsigned char*>(cipher.constData()),
                          int(cipher.size())) != 1 ||
        EVP_DecryptFinal_ex(context.get(), outBytes + written, &last) != 1) {
        return false;
    }
    out.truncate(written + last);
    *plain = out;
    return true;
}

}  // namespace

// DecryptChromiumValue (platform/chromium_cookies.h).
extern "C" Q_DECL_EXPORT bool kestrelview_decrypt_chromium_value(const QByteArray& encrypted,
                                                                 const QByteArray& v11Password,
                                                                 const QByteArray& hostKey,
                                                                 int databaseVersion,
                                                                 QByteArray* plain) {
    QByteArray key;
    if (encrypted.startsWith("v10")) {
        static const QByteArray fixedKey = deriveKey("peanuts");
        key = fixedKey;
    } else if (encrypted.startsWith("v11") && !v11Password.isEmpty()) {
        key = deriveKey(v11Password);
    } else {
        return false;
    }
    QByteArray text;
    if (!aes128CbcDecrypt(key, encrypted.mid(3), &text)) {
        return false;
    }
    if (databaseVersion >= kDigestVersion) {
        QByteArray digest(SHA256_DIGEST_LENGTH, '\0');
        SHA256(reinterpret_cast<const unsigned char*>(hostKey.constData()), size_t(hostKey.size()),
               reinterpret_cast<unsigned char*>(digest.data()));
        if (!text.startsWith(digest)) {
            return false;
        }
        text.remove(0, SHA256_DIGEST_LENGTH);
    }
    *plain = text;
    return true;
}
