// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>
#include <unordered_map>
#include <vector>

// A visit time in memory: its wall-clock date and time in seconds since 1970, as if UTC, the way
// ParseVisitTime reads the text. Eight bytes a visit keep a history of millions of lines small.
using VisitStamp = qint64;

VisitStamp StampOf(const QDateTime& wallClock);
QDate DayOf(VisitStamp stamp);
// "2026年12月06日 22:19", with ":ss" when the seconds are not zero.
QString FormatVisitStamp(VisitStamp stamp);

// A visit-time text in CP932, in any form ParseVisitTime reads; false for anything else.
bool ReadVisitStamp(QByteArrayView text, VisitStamp* stamp);

struct VisitorHistory {
    // Oldest first, each visit once.
    std::vector<VisitStamp> visits;
    // The name of the visitor's last line in the file.
    QString name;
};

// The history file read into memory: every visitor's recorded visits and the visits of each day.
// A line that repeats a visit already read (the same member and time, as when a crash came
// between the history and the data file, so the run counted the visit again) adds nothing.
class HistoryIndex {
  public:
    // Brings the index up to date with the file at `path`. Only what was appended since the last
    // update is read, unless the file is no longer the one read before (shorter, or not ending a
    // line where the last read ended): then all of it. A missing file is an empty history. False
    // when the file is there but cannot be read; `error` says why and the index stays as it was.
    bool update(const QString& path, QString* error = nullptr);
    // True when the file at `path` has neither grown nor changed since the last update.
    bool isCurrentWith(const QString& path) const;

    // Null for a member without recorded visits.
    const VisitorHistory* visitor(qint32 id) const;
    std::vector<qint32> visitorIds() const;
    // Recorded visits on the day with the given Julian day number.
    int visitsOn(qint64 julianDay) const;
    qsizetype visitCount() const { return m_visitCount; }
    // The earliest visit recorded, of anyone: since when the history has been kept.
    std::optional<VisitStamp> firstVisit() const { return m_firstVisit; }
    // Lines that are not a visit: a wrong number of fields, a member id that is not a non-zero
    // 32-bit number, a time that does not read, and a last line without its line end.
    qsizetype malformedLines() const { return m_malformed + (m_cutOffTail ? 1 : 0); }

  private:
    struct Slot {
        VisitorHistory history;
        // The name bytes of the visitor's last line in the bytes being read; decoded once at the
        // end, since decoding every line's name would cost more than the rest of the reading.
        QByteArrayView pendingName;
    };

    // Reads the complete lines of `bytes`; returns how many bytes they take.
    qsizetype addLines(QByteArrayView bytes);
    bool addLine(QByteArrayView line, std::vector<Slot*>& named);
    void addVisit(Slot& slot, VisitStamp stamp);

    std::unordered_map<qint32, Slot> m_visitors;
    std::unordered_map<qint64, int> m_perDay;
    qsizetype m_visitCount = 0;
    std::optional<VisitStamp> m_firstVisit;
    qsizetype m_malformed = 0;
    bool m_cutOffTail = false;
    // How far the file has been read: the end of its last complete line.
    qint64 m_readTo = 0;
    // The file as last read, to tell whether it changed.
    bool m_existed = false;
    qint64 m_size = 0;
    QDateTime m_modified;
};
