#include <QApplication>

#include "app/appearance.h"
#include "app/form1.h"
#include "platform/paths.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The program lives on in the tray with no window shown; only Form1's close handling ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(ProgramFont());

    auto platform = Platform::createLinux(ApplicationDirectory());
    Form1 form1(*platform);
    // exit() rather than quit(): quit() would first offer every window a close, and Form1 would
    // take that for the user's close button.
    QObject::connect(&form1, &Form1::programEnded, &application, [] { QApplication::exit(0); });
    form1.Form_Load();
    return QApplication::exec();
}
