// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/file_store.h"

// The real file store, with failures on demand: refuse to open a file for reading, refuse to
// create a file, fail the n-th write into it, or fail its final commit.
class FaultyFileStore final : public FileStore {
  public:
    FaultyFileStore();
    ~FaultyFileStore() override;

    std::unique_ptr<OutputFile> create(const QString& path) override;
    std::unique_ptr<QIODevice> openForReading(const QString& path, QString* error) override;

    // An existing file that cannot be opened, as one this user may not read; the reason given is
    // `openFailureReason`.
    std::function<bool(const QString& path)> failOpen;
    QString openFailureReason = QStringLiteral("Permission denied");

    std::function<bool(const QString& path)> failCreate;
    // writeIndex counts the writes into one file from 0.
    std::function<bool(const QString& path, int writeIndex)> failWrite;
    std::function<bool(const QString& path)> failCommit;

    std::vector<QString> createdPaths;
    std::vector<QString> committedPaths;

  private:
    std::unique_ptr<FileStore> m_real;
};
