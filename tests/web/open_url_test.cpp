// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "tests/web/fake_browser_registry.h"
#include "tests/web/launch_rig.h"
#include "web/browser_launcher.h"

namespace {

const QString kAddress = QStringLiteral("https://mixi.jp/show_friend.pl?id=42");

struct Launcher : LaunchRig {
    using LaunchRig::LaunchRig;
    FakeBrowserRegistry* useFakeRegistry() { return installFakeBrowserRegistry(*platform); }
    QStringList lines() const {
        QStringList result;
        for (const auto& call : starter->calls) {
            result.append(call.commandLine);
        }
        return result;
    }
};

}  // namespace

// Opening a visitor's page: which program receives which words, launched for real with
// recording stand-ins for the browser and the desktop's opener.
class OpenUrlTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void commandLineFromTheTemplate_data() {
        QTest::addColumn<QString>("commandTemplate");
        QTest::addColumn<QString>("line");
        QTest::newRow("place holder") << "\"C:\\b.exe\" \"%1\""
                                      << "\"C:\\b.exe\" \"" + kAddress + "\"";
        QTest::newRow("every place holder") << "b %1 -x %1"
                                            << "b " + kAddress + " -x " + kAddress;
        QTest::newRow("doubled quotes collapse first") << "\"b\" \"\"%1\"\" \"\"\""
                                                       << "\"b\" \"" + kAddress + "\" \"\"";
        QTest::newRow("no place holder keeps quotes") << "\"b\" \"\"-x\"\""
                                                      << "\"b\" \"\"-x\"\" " + kAddress;
        QTest::newRow("lower-case or spaced place holder is not one") << "b % 1"
                                                                      << "b % 1 " + kAddress;
        QTest::newRow("empty template") << ""
                                        << " " + kAddress;
    }
    void commandLineFromTheTemplate() {
        QFETCH(QString, commandTemplate);
        QFETCH(QString, line);
        QCOMPARE(BrowserCommandLine(commandTemplate, kAddress), line);
    }

    void nothingOpensWithoutASelectedRow() {
        LaunchSandbox sandbox;
        Launcher launcher(sandbox);
        sandbox.setHttpsHandler("b.desktop", "browser %u");
        launcher.host.selected = false;
        for (Tick ie : {Tick::Unticked, Tick::Ticked}) {
            launcher.host.ieOpen = ie;
            OpenUrl(*launcher.platform, launcher.host, kAddress);
        }
        QVERIFY(launcher.starter->calls.empty());
        sandbox.settle();
        QVERIFY(sandbox.launches("browser").isEmpty());
        QVERIFY(sandbox.launches("xdg-open").isEmpty());
    }

    void ieOptionHandsTheAddressToTheOpener_data() {
        QTest::addColumn<Tick>("state");
        QTest::newRow("ticked") << Tick::Ticked;
        QTest::newRow("grayed") << Tick::Dimmed;
    }
    void ieOptionHandsTheAddressToTheOpener() {
        QFETCH(Tick, state);
        LaunchSandbox sandbox;
        Launcher launcher(sandbox);
        FakeBrowserRegistry* registry = launcher.useFakeRegistry();
        registry->command = launcher.browser + " \"%1\"";
        launcher.host.ieOpen = state;
        OpenUrl(*launcher.platform, launcher.host, kAddress);

        QCOMPARE(launcher.lines(), QStringList{"explorer.exe \"" + kAddress + "\""});
        QCOMPARE(registry->lookups, 0);
        QVERIFY(sandbox.waitForLaunches("xdg-open", 1));
        QCOMPARE(sandbox.launches("xdg-open"), (QList<QStringList>{{launcher.opener, kAddress}}));
        QVERIFY(sandbox.launches("browser").isEmpty());
    }

    // The desktop's https handler, as its desktop entry names it, receives the address.
    void desktopHandlerReceivesTheAddress_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("program");  // below the sandbox; empty for the PATH stand-in
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("url code") << "browser %u"
                                  << "" << QStringList{kAddress};
        QTest::newRow("switch and list code") << "browser --new-window %U"
                                              << "" << QStringList{"--new-window", kAddress};
        QTest::newRow("no url code, address appended") << "browser --private"
                                                       << "" << QStringList{"--private", kAddress};
        QTest::newRow("url code twice") << "browser %u %u"
                                        << "" << QStringList{kAddress, kAddress};
        QTest::newRow("other codes dropped") << "browser %i --class=%c --url=%u %f"
                                             << "" << QStringList{"--class=", "--url=" + kAddress};
        QTest::newRow("program in a folder with blanks and quoted words")
            << "\"<R>/my browsers/b\" --title \"a \\\\\"q\\\\\" b\" %u"
            << "my browsers/b" << QStringList{"--title", "a \"q\" b", kAddress};
    }
    void desktopHandlerReceivesTheAddress() {
        QFETCH(QString, exec);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        LaunchSandbox sandbox;
        Launcher launcher(sandbox);
        QString expectedProgram = launcher.browser;
        if (!program.isEmpty()) {
            expectedProgram = sandbox.writeStandIn(sandbox.root() + u'/' + program, "browser");
        }
        exec.replace(QStringLiteral("<R>"), sandbox.root());
        sandbox.setHttpsHandler("vendor-browser.desktop", exec);

        OpenUrl(*launcher.platform, launcher.host, kAddress);
        QCOMPARE(launcher.starter->calls.size(), size_t(1));
        QCOMPARE(launcher.starter->calls[0].result, StartResult::Started);
        QVERIFY(sandbox.waitForLaunches("browser", 1));
        QCOMPARE(sandbox.launches("browser"),
                 QList<QStringList>{QStringList{expectedProgram} + arguments});
        sandbox.settle();
        QVERIFY(sandbox.launches("xdg-open").isEmpty());
    }

    // Without a usable registered browser the line is a blank and the address, which names no
    // program; the opener takes over.
    void openerTakesOverWhenNoBrowserIsFound_data() {
        QTest::addColumn<QString>("exec");  // empty: no handler at all
        QTest::newRow("no handler") << "";
        QTest::newRow("handler's program missing") << "/nonexistent/browser %u";
        QTest::newRow("handler's Exec cannot be read") << "\"browser %u";
        QTest::newRow("handler's command has two quotes in a row") << "browser \"\" %u";
    }
    void openerTakesOverWhenNoBrowserIsFound() {
        QFETCH(QString, exec);
        LaunchSandbox sandbox;
        Launcher launcher(sandbox);
        if (!exec.isEmpty()) {
            sandbox.setHttpsHandler("b.desktop", exec);
        }
        OpenUrl(*launcher.platform, launcher.host, kAddress);
        QCOMPARE(launcher.lines(),
                 (QStringList{" " + kAddress, "explorer.exe \"" + kAddress + "\""}));
        QCOMPARE(launcher.starter->calls[0].result, StartResult::FileNotFound);
        QVERIFY(sandbox.waitForLaunches("xdg-open", 1));
        QCOMPARE(sandbox.launches("xdg-open"), (QList<QStringList>{{launcher.opener, kAddress}}));
        QVERIFY(sandbox.launches("browser").isEmpty());
    }

    // Registered commands as the desktop's registry may hold them.
    void registeredCommand_data() {
        QTest::addColumn<QString>("command");  // "<B>" is the browser stand-in; "<none>": none
        QTest::addColumn<QStringList>("browserArguments");  // empty: the browser must not run
        QTest::addColumn<bool>("openerRuns");
        QTest::newRow("quoted path and place holder")
            << "\"<B>\" \"%1\"" << QStringList{kAddress} << false;
        QTest::newRow("doubled quotes collapse")
            << "\"<B>\" -a \"\"x y\"\" \"\"%1\"\"" << QStringList{"-a", "x y", kAddress} << false;
        QTest::newRow("no place holder")
            << "\"<B>\" -nohome" << QStringList{"-nohome", kAddress} << false;
        QTest::newRow("no command registered") << "<none>" << QStringList{} << true;
        QTest::newRow("empty command") << "" << QStringList{} << true;
        QTest::newRow("missing program")
            << "\"/nonexistent/b.exe\" \"%1\"" << QStringList{} << true;
    }
    void registeredCommand() {
        QFETCH(QString, command);
        QFETCH(QStringList, browserArguments);
        QFETCH(bool, openerRuns);
        LaunchSandbox sandbox;
        Launcher launcher(sandbox);
        FakeBrowserRegistry* registry = launcher.useFakeRegistry();
        if (command != u"<none>") {
            registry->command = command.replace(QStringLiteral("<B>"), launcher.browser);
        }

        OpenUrl(*launcher.platform, launcher.host, kAddress);
        if (!browserArguments.isEmpty()) {
            QVERIFY(sandbox.waitForLaunches("browser", 1));
            QCOMPARE(sandbox.launches("browser"),
                     QList<QStringList>{QStringList{launcher.browser} + browserArguments});
        }
        if (openerRuns) {
            QVERIFY(sandbox.waitForLaunches("xdg-open", 1));
            QCOMPARE(sandbox.launches("xdg-open"),
                     (QList<QStringList>{{launcher.opener, kAddress}}));
        }
        sandbox.settle();
        QCOMPARE(sandbox.launches("browser").size(), browserArguments.isEmpty() ? 0 : 1);
        QCOMPARE(sandbox.launches("xdg-open").size(), openerRuns ? 1 : 0);
        QCOMPARE(registry->lookups, 1);
        QVERIFY(launcher.platform.dialogs->messages.empty());
    }

    // A registry that breaks down says so once; the address still reaches the opener.
    void registryFaultIsShownAndTheOpenerTakesOver() {
        LaunchSandbox sandbox;
        Launcher launcher(sandbox);
        FakeBrowserRegistry* registry = launcher.useFakeRegistry();
        registry->fault = FakeBrowserRegistry::Fault::RegistryFault;
        OpenUrl(*launcher.platform, launcher.host, kAddress);
        QCOMPARE(launcher.lines(),
                 (QStringList{" " + kAddress, "explorer.exe \"" + kAddress + "\""}));
        QCOMPARE(launcher.platform.dialogs->messages.size(), size_t(1));
        QVERIFY(sandbox.waitForLaunches("xdg-open", 1));
        QVERIFY(sandbox.launches("browser").isEmpty());
    }

    // A browser that is there but does not start is not "not found": nothing else is tried.
    void browserThatFailsToStartEndsQuietly() {
        LaunchSandbox sandbox;
        Launcher launcher(sandbox);
        const QString broken =
            sandbox.writeFile("bin/broken", "#!/nonexistent/interpreter\nexit 0\n");
        QFile::setPermissions(broken, QFile::ReadOwner | QFile::ExeOwner);
        sandbox.setHttpsHandler("b.desktop", "broken %u");
        OpenUrl(*launcher.platform, launcher.host, kAddress);
        QCOMPARE(launcher.lines(), QStringList{"broken \"" + kAddress + "\""});
        QCOMPARE(launcher.starter->calls[0].result, StartResult::Failed);
        sandbox.settle();
        QVERIFY(sandbox.launches("xdg-open").isEmpty());
        QVERIFY(launcher.platform.dialogs->messages.empty());
    }
};

QTEST_GUILESS_MAIN(OpenUrlTest)
#include "open_url_test.moc"
