#include <QApplication>
#include <QCommandLineParser>
#include <QSessionManager>

#include "app/appearance.h"
#include "app/exit_signals.h"
#include "app/form1.h"
#include "app/single_instance.h"
#include "platform/paths.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The program lives on in the tray with no window shown; only Form1's close handling ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(ProgramFont());

    QCommandLineParser parser;
    const QCommandLineOption verbose(QStringLiteral("verbose"));
    parser.addOption(verbose);
    // parse(), not process(): an argument this copy does not know is no reason to refuse a start.
    parser.parse(QApplication::arguments());

    auto platform = Platform::createLinux(ApplicationDirectory());
    platform->log.setEcho(parser.isSet(verbose));

    SingleInstance instance(platform->applicationDirectory);
    int status = 0;
    if (!ClaimDataFolder(instance, *platform, &status)) {
        return status;
    }

    Form1 form1(*platform);
    // exit() rather than quit(): quit() would first offer every window a close, and Form1 would
    // take that for the user's close button.
    QObject::connect(&form1, &Form1::programEnded, &application, [] { QApplication::exit(0); });
    QObject::connect(&instance, &SingleInstance::activationRequested, &form1, &Form1::bringToFront);
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::received, &form1, &Form1::requestExit);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &form1,
                     [&form1](QSessionManager&) { form1.endSession(); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &form1, [&form1] {
        // The session manager may end the program without asking the window first.
        if (!form1.ended()) {
            form1.SaveSettings();
        }
    });
    form1.Form_Load();
    // A signal during the start-up's load has ended the program before the event loop runs.
    if (form1.ended()) {
        return 0;
    }
    return QApplication::exec();
}
