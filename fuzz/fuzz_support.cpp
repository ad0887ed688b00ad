// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "fuzz/fuzz_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

void init() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    static int argc = 1;
    static char name[] = "kestrelview-fuzz";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: libFuzzer never returns to tear it down.
    new QCoreApplication(argc, argv);
    // The cookie readers query their databases through the build tree's cookie module.
    if (!qEnvironmentVariableIsSet("KESTRELVIEW_MODULE_PATH")) {
        qputenv("KESTRELVIEW_MODULE_PATH", KV_MODULE_BUILD_DIR);
    }
}

const QString& scratchFolder() {
    // Removed when the process exits; a crash leaves it in $TMPDIR, which scripts/fuzz.sh points
    // into the build tree.
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kv-fuzz-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no scratch folder: %s\n", qPrintable(dir.errorString()));
        std::abort();
    }
    static const QString path = dir.path();
    return path;
}

QString scratchPath(const QString& name) {
    return scratchFolder() + u'/' + name;
}

void writeFile(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

bool writeDatabase(const QString& file, const std::function<bool(QSqlQuery&)>& fill) {
    static int connections = 0;
    const QString connection = QStringLiteral("fuzz-maker-%1").arg(connections++);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            ok = fill(query);
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

void fail(const char* property, const QString& detail) {
    // Control characters shown as \u escapes, so that a NUL or a CR cannot hide the rest.
    QString shown;
    for (const QChar c : detail) {
        if (c.unicode() < 0x20 || c == QChar::ReplacementCharacter) {
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    std::fprintf(stderr, "property broken: %s\n%s\n", property, shown.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

QString takeText(FuzzedDataProvider& data, size_t maxBytes) {
    return QString::fromStdString(data.ConsumeRandomLengthString(maxBytes));
}

}  // namespace fuzz
