#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

// A file being written. Nothing reaches the path until commit() succeeds; dropping the object
// without a commit leaves whatever was at the path untouched.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    virtual bool write(const QByteArray& bytes) = 0;
    virtual bool commit() = 0;
};

// Writes files whole, through a temporary file in the same folder that replaces the old one only
// when it is complete, so a crash, a kill or a full disk never leaves half a file behind.
class FileStore {
  public:
    virtual ~FileStore() = default;
    // nullptr when the file cannot be created (a directory at the path, a missing folder).
    virtual std::unique_ptr<OutputFile> create(const QString& path) = 0;
};

std::unique_ptr<FileStore> createLinuxFileStore();
