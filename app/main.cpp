// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <sys/stat.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSessionManager>
#include <cstdio>

#include "app/appearance.h"
#include "app/exit_signals.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/translations.h"
#include "app/visitor_book.h"
#include "platform/desktop_notices.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace {

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// The help names the command the user types, whatever the executable file is called.
QString helpText(const QCommandLineParser& parser) {
    const QString text = parser.helpText();
    const qsizetype firstLineEnd = text.indexOf(u'\n');
    return QStringLiteral("Usage: kestrelview [options]") +
           (firstLineEnd < 0 ? QStringLiteral("\n") : text.sliced(firstLineEnd));
}

}  // namespace

int main(int argc, char** argv) {
    // The command line is read before the application object exists, so --help and --version
    // answer where no display can be opened.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Keeps a permanent tally of who visits your mixi profile."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringLiteral("help"),
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the program's version and exit."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Also write the log to the standard error."));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("Keep every file in DIR (created if missing)."),
                                     QStringLiteral("DIR"));
    parser.addOptions({help, version, verbose, dataDir});
    // Qt's own options, which the session manager uses to start the program again.
    for (const char* name :
         {"platform", "platformtheme", "plugin", "session", "display", "name", "style",
          "stylesheet", "qwindowgeometry", "qwindowtitle", "qwindowicon"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    QCommandLineOption reverse(QStringLiteral("reverse"));
    reverse.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(reverse);

    if (!parser.parse(arguments)) {
        print(stderr, parser.errorText() + u'\n' + helpText(parser));
        return 2;
    }
    if (parser.isSet(help)) {
        print(stdout, helpText(parser));
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("kestrelview " KV_VERSION "\n"));
        return 0;
    }

    // From here on an ending signal (a logout, the package manager, Ctrl+C) is taken as a request
    // to end: held until the handlers exist, then answered by the window, or by not starting.
    ExitSignals::holdUntilInstalled();
    // The window's identity, as the desktop matches it with the menu entry: the X11 class
    // (WM_CLASS) comes from the application name, the Wayland app_id from the desktop file name.
    QCoreApplication::setApplicationName(QStringLiteral("Kestrelview"));
    QGuiApplication::setDesktopFileName(QString::fromUtf16(kApplicationId));
    QApplication application(argc, argv);
    ExitSignals exitSignals;
    ProgramLifecycle lifecycle;
    MainWindow* window = nullptr;
    QObject::connect(&exitSignals, &ExitSignals::received, &application,
                     [&window, &lifecycle](const QString& signalName) {
                         if (window) {
                             window->requestExit(signalName);
                         } else {
                             lifecycle.requestEnd(ProgramLifecycle::EndRequest::Signal, false,
                                                  signalName);
                         }
                     });
    // The program lives on in the tray with no window shown; only the main window's end ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(ProgramFont());
    InstallQtJapanese(application);

    const ProgramFolders folders =
        ChooseProgramFolders(RunningProgramFolder(), parser.value(dataDir),
                             qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
    if (!folders.portable) {
        // The cookies are a login: whatever the program writes in the user's folder is the
        // user's alone, however it is written.
        ::umask(077);
    }
    if (!MakePrivateFolder(folders.data)) {
        print(stderr, QStringLiteral("kestrelview: the data folder %1 cannot be made\n")
                          .arg(DisplayPath(folders.data)));
        return 1;
    }

    auto platform = Platform::createLinux(folders.data, folders.resources);
    platform->log.setEcho(parser.isSet(verbose));

    SingleInstance instance(platform->dataFolder);
    int status = 0;
    if (!ClaimDataFolder(instance, *platform, &status)) {
        return status;
    }
    // A signal taken while the start-up asked the user something.
    if (lifecycle.ended()) {
        return 0;
    }

    // The visitor data outlives the window that shows it and the roles that work on it.
    VisitorBook book(*platform, lifecycle);
    MainWindow mainWindow(*platform, lifecycle, book);
    window = &mainWindow;
    // exit() rather than quit(): quit() would first offer every window a close, and the main
    // window would take that for the user's close button.
    QObject::connect(&mainWindow, &MainWindow::programEnded, &application,
                     [] { QApplication::exit(0); });
    QObject::connect(&instance, &SingleInstance::activationRequested, &mainWindow,
                     &MainWindow::bringToFront);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &mainWindow,
                     [&mainWindow](QSessionManager&) { mainWindow.endSession(); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &mainWindow, [&mainWindow] {
        // The session manager may end the program without asking the window first.
        if (!mainWindow.ended()) {
            mainWindow.saveSettings();
        }
    });
    mainWindow.start();
    // A signal during the start-up's load has ended the program before the event loop runs.
    if (mainWindow.ended()) {
        return 0;
    }
    return QApplication::exec();
}
