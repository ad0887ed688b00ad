#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/file_store.h"

// The real file store, with failures on demand: refuse to create a file, fail the n-th write
// into it, or fail its final commit.
class FaultyFileStore final : public FileStore {
  public:
    FaultyFileStore();
    ~FaultyFileStore() override;

    std::unique_ptr<OutputFile> create(const QString& path) override;

    std::function<bool(const QString& path)> failCreate;
    // writeIndex counts the writes into one file from 0.
    std::function<bool(const QString& path, int writeIndex)> failWrite;
    std::function<bool(const QString& path)> failCommit;

    std::vector<QString> createdPaths;
    std::vector<QString> committedPaths;

  private:
    std::unique_ptr<FileStore> m_real;
};
