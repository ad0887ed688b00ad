// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

class QSqlQuery;

// What every fuzz target shares: the Qt application object the libraries expect, a scratch folder
// that lives as long as the process, and the way a broken property stops the run. A property that
// fails aborts, so libFuzzer keeps the input as a crash.
namespace fuzz {

// Creates the application object once; safe to call from every input.
void init();

// A folder of its own for this process; targets overwrite their files in it.
const QString& scratchFolder();
QString scratchPath(const QString& name);

void writeFile(const QString& path, QByteArrayView bytes);
QByteArray readFile(const QString& path);

// An SQLite database at `file`, filled by `fill` through a connection of its own that is closed
// again; false when it could not be opened or `fill` failed.
bool writeDatabase(const QString& file, const std::function<bool(QSqlQuery&)>& fill);

// Reports the broken property with what was seen and aborts.
[[noreturn]] void fail(const char* property, const QString& detail);

// A string of the fuzzer's bytes read as UTF-8, as FuzzedDataProvider cuts them.
QString takeText(FuzzedDataProvider& data, size_t maxBytes = 64);

}  // namespace fuzz

#define KV_FUZZ_CHECK(condition, detail)        \
    do {                                        \
        if (!(condition)) {                     \
            ::fuzz::fail(#condition, (detail)); \
        }                                       \
    } while (false)
