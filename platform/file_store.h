// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QIODevice;

// A file being written. Nothing reaches the path until commit() succeeds; dropping the object
// without a commit leaves whatever was at the path untouched.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual bool write(const QByteArray& bytes) = 0;
    virtual bool commit() = 0;
};

// Reads files, and writes files whole, through a temporary file in the same folder that replaces
// the old one only when it is complete, so a crash, a kill or a full disk never leaves half a file
// behind.
class FileStore {
  public:
    virtual ~FileStore() = default;
    // nullptr when the file cannot be created (a directory at the path, a missing folder).
    virtual std::unique_ptr<OutputFile> create(const QString& path) = 0;
    // The file opened for reading, or nullptr with the reason the open failed in `error` (a file
    // that is missing, a folder at the path, one this user may not read).
    virtual std::unique_ptr<QIODevice> openForReading(const QString& path, QString* error) = 0;
};

std::unique_ptr<FileStore> createLinuxFileStore();
