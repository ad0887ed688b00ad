#pragma once

#include <QMetaObject>
#include <QString>

#include "platform/service_address.h"

class CollectionHost;
struct Platform;

// The collection run: both footprint pages, each fetched, walked and finished on its own, so a
// failure on the first page does not stop the second.
class Collector {
  public:
    // `platform` and `host` must outlive the collector.
    Collector(Platform& platform, CollectionHost& host, ServiceAddress address);
    ~Collector();
    Collector(const Collector&) = delete;
    Collector& operator=(const Collector&) = delete;

    // The run, as the "足跡取得" button, the schedule and the start-up run start it: the first
    // page, then the second.
    void Command1_Click();

    // Collects one page: retrieval by the selected method, the entries, then sort, ranking, save,
    // countdown and alarm. Every outcome is shown to the user; nothing is thrown.
    void Zodadud_Get(const QString& url);

    // The browser's document-complete event, from any frame or navigation.
    void WebBrowser1_DocumentComplete() { PageLoaded = true; }
    bool PageLoaded = false;

    const ServiceAddress& address() const { return m_address; }

  private:
    enum class Retrieval { Text, Fallback, NotCollected };
    Retrieval retrieve(const QString& url, const QString& bufPath, QString* text);
    void finishPage();
    void showErrorTrap(int number, const QString& description);

    Platform& m_platform;
    CollectionHost& m_host;
    ServiceAddress m_address;
    QMetaObject::Connection m_documentComplete;
};

// The line break of the run's messages.
inline const QString kMessageLineBreak = QStringLiteral("\r\n");
