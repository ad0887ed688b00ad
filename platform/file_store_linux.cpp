// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/file_store.h"

namespace {

class SaveFile final : public OutputFile {
  public:
    explicit SaveFile(const QString& path) : m_file(path) {}
    bool open() {
        // A directory at the path would only fail at the rename; refuse it before any row.
        return !QFileInfo(m_file.fileName()).isDir() && m_file.open(QIODevice::WriteOnly);
    }
    bool write(const QByteArray& bytes) override { return m_file.write(bytes) == bytes.size(); }

    // QSaveFile::commit() reports success when only its last flush failed and does not look at
    // the sync at all, so a full disk would put an empty file in place of the old one. The bytes
    // are flushed and synced here first, and the rename happens only when both worked.
    bool commit() override {
        if (m_file.error() != QFileDevice::NoError || !m_file.flush() ||
            ::fsync(m_file.handle()) != 0) {
            // The temporary file goes with the object; the old file stays as it was.
            m_file.cancelWriting();
            return false;
        }
        if (!m_file.commit()) {
            return false;
        }
        syncFolder();
        return true;
    }

  private:
    // The rename itself reaches the disk with the folder's entry.
    void syncFolder() const {
        const QByteArray folder = QFile::encodeName(QFileInfo(m_file.fileName()).absolutePath());
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }

    QSaveFile m_file;
};

class LinuxFileStore final : public FileStore {
  public:
    std::unique_ptr<OutputFile> create(const QString& path) override {
        auto file = std::make_unique<SaveFile>(path);
        if (!file->open()) {
            return nullptr;
        }
        return file;
    }

    std::unique_ptr<QIODevice> openForReading(const QString& path, QString* error) override {
        auto file = std::make_unique<QFile>(path);
        if (QFileInfo(path).isDir()) {
            *error = QStringLiteral("Is a directory");
            return nullptr;
        }
        if (!file->open(QIODevice::ReadOnly)) {
            *error = file->errorString();
            return nullptr;
        }
        return file;
    }
};

}  // namespace

std::unique_ptr<FileStore> createLinuxFileStore() {
    return std::make_unique<LinuxFileStore>();
}
