// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The demo service as a program: a stand-in for the social network on 127.0.0.1.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "tools/demo_service.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves footprint pages on 127.0.0.1 for Kestrelview to collect."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port to listen on (default: a free one)."),
                                  QStringLiteral("port"), QStringLiteral("0"));
    const QCommandLineOption requireCookie(
        QStringLiteral("require-cookie"),
        QStringLiteral("List visitors only to requests with the login cookie."));
    const QCommandLineOption loginRedirect(
        QStringLiteral("login-redirect"),
        QStringLiteral("Send requests without the login cookie to the login page."));
    const QCommandLineOption drop(QStringLiteral("drop"),
                                  QStringLiteral("Close the connection instead of answering."));
    const QCommandLineOption pad(QStringLiteral("pad"),
                                 QStringLiteral("Pad footprint pages to at least N bytes."),
                                 QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption gzip(QStringLiteral("gzip"),
                                  QStringLiteral("Send footprint pages gzip-compressed."));
    const QCommandLineOption slow(QStringLiteral("slow"),
                                  QStringLiteral("Answer footprint pages after MS milliseconds."),
                                  QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption error(QStringLiteral("error"),
                                   QStringLiteral("Answer footprint pages with HTTP status CODE."),
                                   QStringLiteral("code"), QStringLiteral("0"));
    const QCommandLineOption empty(QStringLiteral("empty"),
                                   QStringLiteral("Footprint pages without entries."));
    const QCommandLineOption changed(QStringLiteral("changed-format"),
                                     QStringLiteral("Footprint pages in another markup."));
    const QCommandLineOption entries(QStringLiteral("entries"),
                                     QStringLiteral("Entries per page (default 50)."),
                                     QStringLiteral("n"), QStringLiteral("50"));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("Let the service's time run N times faster."),
                                   QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({port, requireCookie, loginRedirect, drop, pad, gzip, slow, error, empty,
                       changed, entries, speed});
    parser.process(application);

    DemoOptions options;
    options.requireCookie = parser.isSet(requireCookie);
    options.loginRedirect = parser.isSet(loginRedirect);
    options.dropConnection = parser.isSet(drop);
    options.padToBytes = std::max<qint64>(0, parser.value(pad).toLongLong());
    options.gzip = parser.isSet(gzip);
    options.slowMs = parser.value(slow).toInt();
    options.errorStatus = parser.value(error).toInt();
    options.empty = parser.isSet(empty);
    options.changedFormat = parser.isSet(changed);
    options.entriesPerPage = std::max(0, parser.value(entries).toInt());
    options.speed = std::max(0.0, parser.value(speed).toDouble());

    DemoService service;
    service.setOptions(options);
    bool portOk = false;
    const uint wanted = parser.value(port).toUInt(&portOk);
    if (!portOk || wanted > 65535 || !service.listen(quint16(wanted))) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%s\n", qPrintable(parser.value(port)));
        return 1;
    }
    std::printf("Demo service listening on %s/\n", qPrintable(service.baseUrl()));
    std::printf("cookie: %s=%s\n", DemoService::kCookieName, DemoService::kCookieValue);
    std::fflush(stdout);
    return application.exec();
}
