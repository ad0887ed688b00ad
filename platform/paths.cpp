#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>

QString ApplicationDirectory() {
    return QCoreApplication::applicationDirPath();
}

QString AppFilePath(const QString& folder, const QString& backslashName) {
    QString name = backslashName;
    while (name.startsWith(u'\\') || name.startsWith(u'/')) {
        name.remove(0, 1);
    }
    QString base = folder;
    if (!base.endsWith(u'/')) {
        base.append(u'/');
    }
    return base + name;
}

QString DisplayPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}
