// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/charset_convert.h"

#include <QFile>
#include <QFileInfo>

#include "platform/file_store.h"
#include "platform/runtime_error.h"
#include "platform/text_codec.h"

bool ConvertCharset(FileStore& files, const QString& source, const QString& target) {
    const QFileInfo info(source);
    if (!info.exists()) {
        throw RuntimeError::fileNotFound();
    }
    QFile in(source);
    if (info.isDir() || !in.open(QIODevice::ReadOnly)) {
        throw RuntimeError::badFileName();
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        throw RuntimeError::badFileName();
    }
    in.close();
    const QByteArray converted = EncodeCp932(DecodeEucJp(bytes));
    std::unique_ptr<OutputFile> out = files.create(target);
    return out && out->write(converted) && out->commit();
}
