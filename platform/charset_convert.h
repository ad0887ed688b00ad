// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

class FileStore;

// Rewrites the EUC-JP text file `source` as CP932 into `target` (the same path is fine). Bytes
// that are not EUC-JP become "?" rather than stopping the conversion. Throws RuntimeError: 53
// when the source does not exist, 75 when it cannot be read. False when the target could not be
// written whole (a full disk): the target is then left as it was.
[[nodiscard]] bool ConvertCharset(FileStore& files, const QString& source, const QString& target);
