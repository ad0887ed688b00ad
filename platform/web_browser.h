#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

struct Platform;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkCookieJar;
class QUrl;

// The embedded browser: navigates to an address, reports the document complete, and hands out the
// markup of the document's body the way the Windows browser control writes it (tag names in
// capitals, simple attribute values unquoted, others between doubled double quotes). It loads with
// the login the user's browser holds, the cookies of "cookies.txt" beside the executable. A host
// name that cannot be resolved shows the browser's server-not-found page; any other network
// failure shows its cannot-display page; both complete like any page.
class WebBrowser : public QObject {
    Q_OBJECT
  public:
    // `platform` must outlive the browser.
    explicit WebBrowser(const Platform& platform, QObject* parent = nullptr);
    ~WebBrowser() override;

    // Starts loading `url` and returns at once; DocumentComplete follows when it has loaded. An
    // earlier navigation that is still loading goes on and completes too.
    void Navigate(const QString& url);

    // The body's inner markup of the document that completed last; empty before the first.
    QString bodyInnerHTML() const { return m_body; }

    // Navigations under way.
    int pendingNavigations() const { return m_pending; }

  Q_SIGNALS:
    void DocumentComplete(const QString& url);

  private:
    void load(const QUrl& url, int hop);
    void finished(QNetworkReply* reply, const QUrl& url, int hop);
    void complete(const QUrl& url, const QString& body);
    void completeLater(const QUrl& url, const QString& body);

    const Platform& m_platform;
    QNetworkAccessManager* m_manager;
    std::unique_ptr<QNetworkCookieJar> m_jar;
    QString m_body;
    int m_pending = 0;
};

// The browser's markup of a document's body: `html` decoded, parsed and its body's children
// written back in the browser's form. Shared with the tests and the demo service.
QString BrowserBodyMarkup(const QString& html);

// Decodes a page by the charset its Content-Type header or its own <meta> declares; EUC-JP and
// Shift_JIS forms go through the program's codecs; undeclared pages are read as UTF-8, or as
// CP932 when they are not valid UTF-8.
QString DecodePage(const QByteArray& bytes, const QByteArray& contentType);
