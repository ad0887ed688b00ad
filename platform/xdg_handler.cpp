#include "platform/xdg_handler.h"

#include <QDir>
#include <QFileInfo>

#include "platform/command_line.h"
#include "platform/desktop_entry.h"

namespace {

const QString kDesktopEntryGroup = QStringLiteral("Desktop Entry");

QString absoluteOr(const QString& value, const QString& fallback) {
    return QDir::isAbsolutePath(value) ? value : fallback;
}

QStringList absoluteFolders(const QString& value, const QStringList& fallback) {
    QStringList folders;
    for (const QString& folder : value.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder)) {
            folders.append(folder);
        }
    }
    return folders.isEmpty() ? fallback : folders;
}

QString resolveDesktopId(const QString& folder, const QString& rest) {
    const QString direct = folder + u'/' + rest;
    if (QFileInfo(direct).isFile()) {
        return direct;
    }
    for (qsizetype dash = rest.indexOf(u'-'); dash > 0; dash = rest.indexOf(u'-', dash + 1)) {
        const QString prefix = rest.first(dash);
        if (prefix == u"." || prefix == u"..") {
            continue;
        }
        const QString subfolder = folder + u'/' + prefix;
        if (QFileInfo(subfolder).isDir()) {
            const QString found = resolveDesktopId(subfolder, rest.sliced(dash + 1));
            if (!found.isEmpty()) {
                return found;
            }
        }
    }
    return {};
}

enum class Verdict { Skip, Unusable, Usable };

Verdict judge(const XdgEnvironment& environment, const QString& desktopId,
              DefaultHandler* handler) {
    if (!desktopId.endsWith(u".desktop") || desktopId.contains(u'/')) {
        return Verdict::Skip;
    }
    const QString path = FindDesktopFile(environment, desktopId);
    if (path.isEmpty()) {
        return Verdict::Skip;
    }
    const auto entry = KeyFile::read(path);
    if (!entry || !entry->hasGroup(kDesktopEntryGroup) ||
        entry->boolValue(kDesktopEntryGroup, QStringLiteral("Hidden"))) {
        return Verdict::Skip;
    }
    const auto type = entry->stringValue(kDesktopEntryGroup, QStringLiteral("Type"));
    if (type && *type != u"Application") {
        return Verdict::Skip;
    }
    const auto tryExec = entry->stringValue(kDesktopEntryGroup, QStringLiteral("TryExec"));
    if (tryExec && !tryExec->isEmpty() &&
        FindProgramFile(*tryExec, environment.searchPath).isEmpty()) {
        return Verdict::Skip;
    }
    const auto exec = entry->stringValue(kDesktopEntryGroup, QStringLiteral("Exec"));
    if (!exec || exec->trimmed().isEmpty()) {
        return Verdict::Skip;
    }
    handler->desktopFile = path;
    const auto words = SplitDesktopExec(*exec);
    if (!words) {
        return Verdict::Unusable;
    }
    if (FindProgramFile(ExecProgram(words->first()), environment.searchPath).isEmpty()) {
        return Verdict::Skip;
    }
    const auto commandTemplate = ExecToWindowsTemplate(*words);
    if (!commandTemplate) {
        return Verdict::Unusable;
    }
    handler->commandTemplate = *commandTemplate;
    return Verdict::Usable;
}

}  // namespace

XdgEnvironment XdgEnvironment::fromEnvironment(const QProcessEnvironment& environment) {
    QString home = environment.value(QStringLiteral("HOME"));
    if (!QDir::isAbsolutePath(home)) {
        home = QDir::homePath();
    }
    XdgEnvironment xdg;
    xdg.configHome = absoluteOr(environment.value(QStringLiteral("XDG_CONFIG_HOME")),
                                home + QStringLiteral("/.config"));
    xdg.configDirs = absoluteFolders(environment.value(QStringLiteral("XDG_CONFIG_DIRS")),
                                     {QStringLiteral("/etc/xdg")});
    xdg.dataHome = absoluteOr(environment.value(QStringLiteral("XDG_DATA_HOME")),
                              home + QStringLiteral("/.local/share"));
    xdg.dataDirs =
        absoluteFolders(environment.value(QStringLiteral("XDG_DATA_DIRS")),
                        {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    for (const QString& name :
         environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(u':', Qt::SkipEmptyParts)) {
        if (!name.contains(u'/')) {
            xdg.desktops.append(name.toLower());
        }
    }
    xdg.searchPath = environment.value(QStringLiteral("PATH"));
    return xdg;
}

XdgEnvironment XdgEnvironment::current() {
    return fromEnvironment(QProcessEnvironment::systemEnvironment());
}

QStringList XdgEnvironment::associationFolders() const {
    QStringList folders{configHome};
    folders += configDirs;
    folders += applicationFolders();
    return folders;
}

QStringList XdgEnvironment::applicationFolders() const {
    QStringList folders{dataHome + QStringLiteral("/applications")};
    for (const QString& folder : dataDirs) {
        folders.append(folder + QStringLiteral("/applications"));
    }
    return folders;
}

QString FindDesktopFile(const XdgEnvironment& environment, const QString& desktopId) {
    if (desktopId.isEmpty() || desktopId.contains(u'/')) {
        return {};
    }
    for (const QString& folder : environment.applicationFolders()) {
        const QString found = resolveDesktopId(folder, desktopId);
        if (!found.isEmpty()) {
            return found;
        }
    }
    return {};
}

DefaultHandler FindDefaultHandler(const XdgEnvironment& environment, const QString& mimeType) {
    struct Source {
        QStringList fileNames;
        QString group;
    };
    QStringList mimeAppsLists;
    for (const QString& desktop : environment.desktops) {
        mimeAppsLists.append(desktop + QStringLiteral("-mimeapps.list"));
    }
    mimeAppsLists.append(QStringLiteral("mimeapps.list"));
    const QString defaults = QStringLiteral("Default Applications");
    const Source sources[] = {
        {mimeAppsLists, defaults},
        {{QStringLiteral("defaults.list")}, defaults},
        {{QStringLiteral("mimeinfo.cache")}, QStringLiteral("MIME Cache")},
    };
    const QStringList folders = environment.associationFolders();
    for (const Source& source : sources) {
        for (const QString& folder : folders) {
            for (const QString& fileName : source.fileNames) {
                const auto list = KeyFile::read(folder + u'/' + fileName);
                if (!list) {
                    continue;
                }
                for (const QString& desktopId : list->listValue(source.group, mimeType)) {
                    DefaultHandler handler;
                    switch (judge(environment, desktopId, &handler)) {
                        case Verdict::Skip:
                            continue;
                        case Verdict::Unusable:
                            handler.outcome = DefaultHandler::Outcome::Unusable;
                            return handler;
                        case Verdict::Usable:
                            handler.outcome = DefaultHandler::Outcome::Found;
                            return handler;
                    }
                }
            }
        }
    }
    return {};
}
