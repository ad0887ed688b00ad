// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

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
    bool commit() override { return m_file.commit(); }

  private:
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
