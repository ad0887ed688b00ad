#include <QtTest>

#include "platform/registry.h"
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

QString queryText(Registry& registry, HKEY key, LONG* status) {
    DWORD type = 0;
    DWORD size = 0;
    *status = registry.RegQueryValueEx(key, QString(), &type, nullptr, &size);
    if (*status != ERROR_SUCCESS) {
        return {};
    }
    QByteArray data(size, 'x');
    *status = registry.RegQueryValueEx(key, QString(), &type, data.data(), &size);
    if (type != REG_SZ || !data.endsWith('\0')) {
        *status = -1;
    }
    data.chop(1);
    return QString::fromUtf8(data);
}

}  // namespace

// Which application the desktop opens https addresses with, found the way the desktop finds it.
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
        QTest::newRow("first installed entry with an existing program")
            << Files{{"config/mimeapps.list",
                      defaults("gone.desktop;noprog.desktop;hidden.desktop;tryexec.desktop;"
                               "link.desktop;noexec.desktop;ok.desktop")},
                     {"data/applications/noprog.desktop", entry("/nonexistent/b %u")},
                     {"data/applications/hidden.desktop", entry("browser %u", "Hidden=true\n")},
                     {"data/applications/tryexec.desktop",
                      entry("browser %u", "TryExec=nothere\n")},
                     {"data/applications/link.desktop",
                      "[Desktop Entry]\nType=Link\nExec=browser %u\n"},
                     {"data/applications/noexec.desktop", "[Desktop Entry]\nType=Application\n"},
                     {"data/applications/ok.desktop", entry("other --new %u")}}
            << "" << found << "other --new \"%1\"";
        QTest::newRow("desktop's own list first")
            << Files{{"config/mimeapps.list", defaults("b.desktop")},
                     {"config/test-mimeapps.list", defaults("o.desktop")},
                     {"data/applications/b.desktop", entry("browser %u")},
                     {"data/applications/o.desktop", entry("other %u")}}
            << "X-Cinnamon:TEST" << found << "other \"%1\"";
        QTest::newRow("config folders before data folders")
            << Files{{"share/applications/mimeapps.list", defaults("b.desktop")},
                     {"etc-xdg/mimeapps.list", defaults("o.desktop")},
                     {"data/applications/b.desktop", entry("browser %u")},
                     {"share/applications/o.desktop", entry("other %u")}}
            << "" << found << "other \"%1\"";
        QTest::newRow("defaults.list when no list names one")
            << Files{{"config/mimeapps.list", defaults("gone.desktop")},
                     {"share/applications/defaults.list", defaults("b.desktop")},
                     {"share/applications/b.desktop", entry("browser %u")}}
            << "" << found << "browser \"%1\"";
        QTest::newRow("mimeinfo.cache last")
            << Files{{"share/applications/mimeinfo.cache",
                      "[MIME Cache]\nx-scheme-handler/http=x.desktop;\n"
                      "x-scheme-handler/https=gone.desktop;b.desktop;\n"},
                     {"share/applications/b.desktop", entry("browser %u")}}
            << "" << found << "browser \"%1\"";
        QTest::newRow("vendor folder")
            << Files{{"config/mimeapps.list", defaults("vendor-web-b.desktop")},
                     {"share/applications/vendor/web-b.desktop", entry("browser %u")}}
            << "" << found << "browser \"%1\"";
        QTest::newRow("no list at all") << Files{} << "" << none << "";
        QTest::newRow("list of junk")
            << Files{{"config/mimeapps.list", "\xff\xfe\x00garbage\n[Default Applications\n=\n"},
                     {"data/applications/b.desktop", entry("browser %u")}}
            << "" << none << "";
        QTest::newRow("entry that is not a desktop entry")
            << Files{{"config/mimeapps.list", defaults("b.desktop")},
                     {"data/applications/b.desktop", "Exec=browser %u\n"}}
            << "" << none << "";
        QTest::newRow("ids never leave the applications folders")
            << Files{{"config/mimeapps.list", defaults("..-b.desktop;../b.desktop;")},
                     {"data/b.desktop", entry("browser %u")}}
            << "" << none << "";
        QTest::newRow("Exec that cannot be split ends the search")
            << Files{{"config/mimeapps.list", defaults("bad.desktop;b.desktop")},
                     {"data/applications/bad.desktop", entry("\"browser %u")},
                     {"data/applications/b.desktop", entry("browser %u")}}
            << "" << unusable << "data/applications/bad.desktop";
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
        if (!desktops.isEmpty()) {
            qputenv("XDG_CURRENT_DESKTOP", desktops.toUtf8());
        }
        const DefaultHandler handler =
            FindDefaultHandler(XdgEnvironment::current(), QStringLiteral("x-scheme-handler/https"));
        QCOMPARE(int(handler.outcome), outcome);
        if (handler.outcome == DefaultHandler::Outcome::Found) {
            QCOMPARE(handler.commandTemplate, found);
        } else if (handler.outcome == DefaultHandler::Outcome::Unusable) {
            QCOMPARE(handler.desktopFile, sandbox.root() + u'/' + found);
        }
    }

    void environmentDefaults() {
        QProcessEnvironment environment;
        environment.insert("HOME", "/home/u");
        environment.insert("XDG_CONFIG_HOME", "relative/ignored");
        environment.insert("XDG_DATA_DIRS", "::relative:/opt/share:");
        environment.insert("XDG_CURRENT_DESKTOP", "GNOME::ubuntu:../x");
        const XdgEnvironment xdg = XdgEnvironment::fromEnvironment(environment);
        QCOMPARE(xdg.configHome, QStringLiteral("/home/u/.config"));
        QCOMPARE(xdg.configDirs, QStringList{"/etc/xdg"});
        QCOMPARE(xdg.dataHome, QStringLiteral("/home/u/.local/share"));
        QCOMPARE(xdg.dataDirs, QStringList{"/opt/share"});
        QCOMPARE(xdg.desktops, (QStringList{"gnome", "ubuntu"}));
        QCOMPARE(xdg.associationFolders(),
                 (QStringList{"/home/u/.config", "/etc/xdg", "/home/u/.local/share/applications",
                              "/opt/share/applications"}));
    }

    void registryAnswersTheHttpsClass() {
        LaunchSandbox sandbox;
        sandbox.addStandIn(QStringLiteral("browser"));
        sandbox.setHttpsHandler(QStringLiteral("b.desktop"), QStringLiteral("browser -x %u"));
        auto registry = createLinuxRegistry();

        HKEY shell = 0;
        QCOMPARE(
            registry->RegOpenKeyEx(HKEY_CLASSES_ROOT, "https\\shell", 0, KEY_QUERY_VALUE, &shell),
            ERROR_SUCCESS);
        LONG status = 0;
        QCOMPARE(queryText(*registry, shell, &status), QStringLiteral("open"));
        QCOMPARE(status, ERROR_SUCCESS);
        DWORD type = 0;
        DWORD size = 0;
        QCOMPARE(registry->RegQueryValueEx(shell, "other", &type, nullptr, &size),
                 ERROR_FILE_NOT_FOUND);
        char small[2];
        size = sizeof small;
        QCOMPARE(registry->RegQueryValueEx(shell, QString(), &type, small, &size), ERROR_MORE_DATA);
        QCOMPARE(size, DWORD(5));
        QCOMPARE(registry->RegCloseKey(shell), ERROR_SUCCESS);
        QCOMPARE(registry->RegCloseKey(shell), ERROR_INVALID_HANDLE);
        QCOMPARE(registry->RegQueryValueEx(shell, QString(), &type, nullptr, &size),
                 ERROR_INVALID_HANDLE);

        HKEY command = 0;
        QCOMPARE(registry->RegOpenKeyEx(HKEY_CLASSES_ROOT, "HTTPS\\Shell\\Open\\Command", 0,
                                        KEY_QUERY_VALUE, &command),
                 ERROR_SUCCESS);
        QCOMPARE(queryText(*registry, command, &status), QStringLiteral("browser -x \"%1\""));
        QCOMPARE(status, ERROR_SUCCESS);
        registry->RegCloseKey(command);

        HKEY other = 0;
        for (const QString& key :
             {QStringLiteral("https\\shell\\\\command"),
              QStringLiteral("http\\shell\\open\\command"), QStringLiteral("https")}) {
            QCOMPARE(registry->RegOpenKeyEx(HKEY_CLASSES_ROOT, key, 0, KEY_QUERY_VALUE, &other),
                     ERROR_FILE_NOT_FOUND);
        }
        QCOMPARE(
            registry->RegOpenKeyEx(HKEY_LOCAL_MACHINE, "https\\shell", 0, KEY_QUERY_VALUE, &other),
            ERROR_FILE_NOT_FOUND);
    }

    void registryWithoutAUsableHandler() {
        LaunchSandbox sandbox;
        auto registry = createLinuxRegistry();
        HKEY key = 0;
        QCOMPARE(
            registry->RegOpenKeyEx(HKEY_CLASSES_ROOT, "https\\shell", 0, KEY_QUERY_VALUE, &key),
            ERROR_FILE_NOT_FOUND);

        // Installed, but its command cannot be a template: the class is there, the command not.
        sandbox.addStandIn(QStringLiteral("browser"));
        sandbox.setHttpsHandler(QStringLiteral("b.desktop"), QStringLiteral("browser \"\" %u"));
        QCOMPARE(
            registry->RegOpenKeyEx(HKEY_CLASSES_ROOT, "https\\shell", 0, KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS);
        registry->RegCloseKey(key);
        QCOMPARE(registry->RegOpenKeyEx(HKEY_CLASSES_ROOT, "https\\shell\\open\\command", 0,
                                        KEY_QUERY_VALUE, &key),
                 ERROR_FILE_NOT_FOUND);
    }
};

QTEST_GUILESS_MAIN(XdgHandlerTest)
#include "xdg_handler_test.moc"
