// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>
#include <cstdio>

#include "platform/browser_registry.h"
#include "platform/xdg_handler.h"
#include "tests/support/launch_sandbox.h"

using Files = QMap<QString, QByteArray>;
Q_DECLARE_METATYPE(Files)

namespace {

QByteArray entry(const QByteArray& exec, const QByteArray& extra = {}) {
    return "[Desktop Entry]\nType=Application\nName=B\nExec=" + exec + "\n" + extra;
}

QByteArray defaults(const QByteArray& ids) {
    return "[Default Applications]\nx-scheme-handler/https=" + ids + "\n";
}

}  // namespace

// Which application the desktop opens https addresses with, found the way the desktop finds it.
// GIO reads the current desktop once per process, so each lookup runs in a child of this test.
class XdgHandlerTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void findsTheDefaultHandler_data() {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("desktops");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("found");  // the template, or the desktop file when unusable

        const int none = int(DefaultHandler::Outcome::None);
        const int unusable = int(DefaultHandler::Outcome::Unusable);
        const int found = int(DefaultHandler::Outcome::Found);

        QTest::newRow("user list") << Files{{"config/mimeapps.list", defaults("b.desktop")},
                                            {"data/applications/b.desktop", entry("browser %u")}}
                                   << "" << found << "browser \"%1\"";
        QTest::newRow("first named entry that can run")
            << Files{{"config/mimeapps.list",
                      defaults("gone.desktop;noprog.desktop;tryexec.desktop;ok.desktop")},
                     {"data/applications/noprog.desktop", entry("/nonexistent/b %u")},
                     {"data/applications/tryexec.desktop",
                      entry("browser %u", "TryExec=nothere\n")},
                     {"data/applications/ok.desktop", entry("other --new %u")}}
            << "" << found << "other --new \"%1\"";
        QTest::newRow("desktop's own list first")
            << Files{{"config/mimeapps.list", defaults("b.desktop")},
                     {"config/test-mimeapps.list", defaults("o.desktop")},
                     {"data/applications/b.desktop", entry("browser %u")},
                     {"data/applications/o.desktop", entry("other %u")}}
            << "X-Cinnamon:TEST" << found << "other \"%1\"";
        QTest::newRow("escaped semicolon is part of the id")
            << Files{{"config/mimeapps.list", defaults("we\\;ird.desktop;")},
                     {"data/applications/we;ird.desktop", entry("other %u")},
                     {"data/applications/ird.desktop", entry("browser %u")}}
            << "" << found << "other \"%1\"";
        QTest::newRow("vendor folder")
            << Files{{"config/mimeapps.list", defaults("vendor-web-b.desktop")},
                     {"share/applications/vendor/web-b.desktop", entry("browser %u")}}
            << "" << found << "browser \"%1\"";
        QTest::newRow("an application that declares the scheme, when none is named")
            << Files{{"share/applications/mimeinfo.cache",
                      "[MIME Cache]\nx-scheme-handler/https=b.desktop;\n"},
                     {"share/applications/b.desktop",
                      entry("browser %u", "MimeType=x-scheme-handler/https;\n")}}
            << "" << found << "browser \"%1\"";
        QTest::newRow("removed association is never launched")
            << Files{{"config/mimeapps.list",
                      "[Removed Associations]\nx-scheme-handler/https=b.desktop;\n"},
                     {"share/applications/mimeinfo.cache",
                      "[MIME Cache]\nx-scheme-handler/https=b.desktop;\n"},
                     {"share/applications/b.desktop",
                      entry("browser %u", "MimeType=x-scheme-handler/https;\n")}}
            << "" << none << "";
        QTest::newRow("named default whose program is missing: none, not another application")
            << Files{{"config/mimeapps.list", defaults("b.desktop")},
                     {"data/applications/b.desktop", entry("/nonexistent/b %u")},
                     {"share/applications/mimeinfo.cache",
                      "[MIME Cache]\nx-scheme-handler/https=o.desktop;\n"},
                     {"share/applications/o.desktop",
                      entry("other %u", "MimeType=x-scheme-handler/https;\n")}}
            << "" << none << "";
        QTest::newRow("no list at all") << Files{} << "" << none << "";
        QTest::newRow("template with two quotes in a row")
            << Files{{"config/mimeapps.list", defaults("b.desktop")},
                     {"data/applications/b.desktop", entry("browser \"\" %u")}}
            << "" << unusable << "data/applications/b.desktop";
    }
    void findsTheDefaultHandler() {
        QFETCH(Files, files);
        QFETCH(QString, desktops);
        QFETCH(int, outcome);
        QFETCH(QString, found);

        LaunchSandbox sandbox;
        sandbox.addStandIn(QStringLiteral("browser"));
        sandbox.addStandIn(QStringLiteral("other"));
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            sandbox.writeFile(it.key(), it.value());
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), desktops);
        environment.insert(QStringLiteral("KV_LOOKUP_CHILD"), QStringLiteral("1"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitCode(), 0);
        const QStringList answer = QString::fromUtf8(child.readAllStandardOutput()).split(u'\n');
        QCOMPARE(answer.size(), 4);
        QCOMPARE(answer[0].toInt(), outcome);
        if (outcome == int(DefaultHandler::Outcome::Found)) {
            QCOMPARE(answer[2], found);
        } else if (outcome == int(DefaultHandler::Outcome::Unusable)) {
            QCOMPARE(answer[1], sandbox.root() + u'/' + found);
        }
    }

    // The browser registry answers with the handler's template, looked up at every call.
    void browserRegistryAnswersWithTheHandlersCommand() {
        auto registry = createLinuxBrowserRegistry();
        {
            LaunchSandbox sandbox;
            QCOMPARE(registry->httpsOpenCommand(), std::nullopt);
        }
        LaunchSandbox sandbox;
        sandbox.addStandIn(QStringLiteral("browser"));
        sandbox.setHttpsHandler(QStringLiteral("b.desktop"), QStringLiteral("browser -x %u"));
        QCOMPARE(registry->httpsOpenCommand(), std::optional<QString>("browser -x \"%1\""));
        sandbox.setHttpsHandler(QStringLiteral("b.desktop"), QStringLiteral("browser %U --y"));
        QCOMPARE(registry->httpsOpenCommand(), std::optional<QString>("browser \"%1\" --y"));
        // Installed, but its command cannot be a template: no command.
        sandbox.setHttpsHandler(QStringLiteral("b.desktop"), QStringLiteral("browser \"\" %u"));
        QCOMPARE(registry->httpsOpenCommand(), std::nullopt);
    }
};

// A child started by findsTheDefaultHandler prints the outcome, the desktop file and the
// template, a line each.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("KV_LOOKUP_CHILD")) {
        const DefaultHandler handler = FindDefaultHandler(QStringLiteral("https"));
        std::printf("%d\n%s\n%s\n", int(handler.outcome), qPrintable(handler.desktopFile),
                    handler.commandTemplate.toUtf8().constData());
        return 0;
    }
    QCoreApplication application(argc, argv);
    XdgHandlerTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "xdg_handler_test.moc"
