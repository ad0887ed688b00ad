// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMetaType>
#include <QString>

// One cookie of a login: what the browsers keep and the fetch helper sends. A plain value, so the
// program reads and passes logins without the network library, which only the helper maps.
class Cookie {
  public:
    Cookie() = default;
    Cookie(const QByteArray& name, const QByteArray& value) : m_name(name), m_value(value) {}

    QByteArray name() const { return m_name; }
    void setName(const QByteArray& name) { m_name = name; }
    QByteArray value() const { return m_value; }
    void setValue(const QByteArray& value) { m_value = value; }
    // A domain that starts with a dot covers its subdomains; one without it is the host alone.
    QString domain() const { return m_domain; }
    void setDomain(const QString& domain) { m_domain = domain; }
    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }
    bool isSecure() const { return m_secure; }
    void setSecure(bool secure) { m_secure = secure; }
    bool isHttpOnly() const { return m_httpOnly; }
    void setHttpOnly(bool httpOnly) { m_httpOnly = httpOnly; }
    // Invalid for a cookie that lasts as long as the browser's session.
    QDateTime expirationDate() const { return m_expires; }
    void setExpirationDate(const QDateTime& expires) { m_expires = expires; }
    bool isSessionCookie() const { return !m_expires.isValid(); }

    // A later cookie of the same name, domain and path replaces an earlier one.
    bool hasSameIdentifier(const Cookie& other) const {
        return m_name == other.m_name && m_domain == other.m_domain && m_path == other.m_path;
    }

    friend bool operator==(const Cookie& a, const Cookie& b) {
        return a.m_name == b.m_name && a.m_value == b.m_value && a.m_domain == b.m_domain &&
               a.m_path == b.m_path && a.m_secure == b.m_secure && a.m_httpOnly == b.m_httpOnly &&
               a.m_expires == b.m_expires;
    }
    friend bool operator!=(const Cookie& a, const Cookie& b) { return !(a == b); }

  private:
    QByteArray m_name;
    QByteArray m_value;
    QString m_domain;
    QString m_path;
    bool m_secure = false;
    bool m_httpOnly = false;
    QDateTime m_expires;
};

Q_DECLARE_METATYPE(Cookie)
