// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/history_loader.h"

#include <QtConcurrent/QtConcurrentRun>

HistoryLoader::HistoryLoader(QString path, QObject* parent)
    : QObject(parent), m_path(std::move(path)) {
    connect(&m_watcher, &QFutureWatcher<Result>::finished, this, &HistoryLoader::finished);
}

void HistoryLoader::load() {
    if (m_loading) {
        return;
    }
    if (m_index && m_error.isEmpty() && m_index->isCurrentWith(m_path)) {
        Q_EMIT loaded();
        return;
    }
    m_loading = true;
    m_watcher.setFuture(QtConcurrent::run([previous = m_index, path = m_path] {
        auto next =
            previous ? std::make_shared<HistoryIndex>(*previous) : std::make_shared<HistoryIndex>();
        Result result;
        next->update(path, &result.error);
        result.index = std::move(next);
        return result;
    }));
}

void HistoryLoader::finished() {
    const Result result = m_watcher.result();
    m_index = result.index;
    m_error = result.error;
    m_loading = false;
    Q_EMIT loaded();
}
