// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tests/support/faulty_file_store.h"

#include <QIODevice>

namespace {

class FaultyOutputFile final : public OutputFile {
  public:
    FaultyOutputFile(FaultyFileStore& store, QString path, std::unique_ptr<OutputFile> real)
        : m_store(store), m_path(std::move(path)), m_real(std::move(real)) {}

    bool write(const QByteArray& bytes) override {
        const int index = m_writes++;
        if (m_store.failWrite && m_store.failWrite(m_path, index)) {
            return false;
        }
        return m_real->write(bytes);
    }
    bool commit() override {
        if (m_store.failCommit && m_store.failCommit(m_path)) {
            return false;
        }
        if (!m_real->commit()) {
            return false;
        }
        m_store.committedPaths.push_back(m_path);
        return true;
    }

  private:
    FaultyFileStore& m_store;
    QString m_path;
    std::unique_ptr<OutputFile> m_real;
    int m_writes = 0;
};

}  // namespace

FaultyFileStore::FaultyFileStore() : m_real(createLinuxFileStore()) {}
FaultyFileStore::~FaultyFileStore() = default;

std::unique_ptr<OutputFile> FaultyFileStore::create(const QString& path) {
    createdPaths.push_back(path);
    if (failCreate && failCreate(path)) {
        return nullptr;
    }
    auto real = m_real->create(path);
    if (!real) {
        return nullptr;
    }
    return std::make_unique<FaultyOutputFile>(*this, path, std::move(real));
}

std::unique_ptr<QIODevice> FaultyFileStore::openForReading(const QString& path, QString* error) {
    if (failOpen && failOpen(path)) {
        *error = openFailureReason;
        return nullptr;
    }
    return m_real->openForReading(path, error);
}
