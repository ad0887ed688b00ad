#include <QApplication>

#include "platform/paths.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    auto platform = Platform::createLinux(ApplicationDirectory());
    return 0;
}
