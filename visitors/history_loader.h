// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <memory>

#include "visitors/history_index.h"

// Keeps the history index and brings it up to date on a worker thread, so that a history of
// millions of lines never holds up the window. Nothing is read until the first load().
class HistoryLoader : public QObject {
    Q_OBJECT
  public:
    explicit HistoryLoader(QString path, QObject* parent = nullptr);

    // Reads what the file gained since the last load (all of it the first time) on a worker
    // thread, and emits loaded() on this thread when done. When the kept index is current already,
    // emits loaded() before returning. A load under way is not started twice.
    void load();
    bool isLoading() const { return m_loading; }

    // The index of the last load; null until one has ended.
    std::shared_ptr<const HistoryIndex> index() const { return m_index; }
    // Why the last load could not read the file; empty when it could. The index is then the one
    // before.
    QString error() const { return m_error; }
    const QString& path() const { return m_path; }

  Q_SIGNALS:
    void loaded();

  private:
    struct Result {
        std::shared_ptr<const HistoryIndex> index;
        QString error;
    };

    void finished();

    QString m_path;
    std::shared_ptr<const HistoryIndex> m_index;
    QString m_error;
    // Until loaded() is emitted; the worker may have finished well before.
    bool m_loading = false;
    QFutureWatcher<Result> m_watcher;
};
