// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// The visit history, "\zodadud_history.dat" in the data folder: one line for every visit the
// collection counted, in the order counted, CP932 with CR LF. A line is the member id in
// decimal, the name and the visit-time text exactly as the table keeps it, joined by TABs. The
// file only grows; the table stays the tally, the history only explains it.

// One counted visit.
struct CountedVisit {
    qint32 id = 0;
    QString name;
    QString visitTime;
};

// "\zodadud_history.dat" in `dataFolder`.
QString HistoryFilePath(const QString& dataFolder);

// The line of one visit with its CR LF. A TAB, CR or LF in the name becomes one blank, as in the
// data file, so that a name can never split the line.
QByteArray FormatHistoryLine(const CountedVisit& visit);

// Appends the visits in one write and has it on the disk before returning, so that the history
// holds a visit before the data file that counts it is saved. A last line that a crash cut short
// is first closed with TAB CR LF: it then has a field too many and can never be read as a visit,
// however far it got. False when the file cannot be written; `error` then says why.
bool AppendHistory(const QString& path, const QList<CountedVisit>& visits,
                   QString* error = nullptr);

// The history's part in collection runs: the visits counted, appended page by page just before
// the page's data file is saved, and the run's notice text.
class HistoryWriter {
  public:
    explicit HistoryWriter(QString path) : m_path(std::move(path)) {}

    // A run starts: the notice forgets the visits of the last run.
    void beginRun() { m_run.clear(); }
    // The new-visit step has just counted a visit.
    void add(qint32 id, const QString& name, const QString& visitTime);
    // Appends the visits added since the last append that worked. Visits that could not be
    // written stay for the next append, since the table has counted them. Returns the message to
    // show when the append failed and no failure has been shown since the last append that
    // worked; an empty text otherwise.
    QString appendPage();
    // The visits waiting for an append.
    qsizetype pendingVisits() const { return m_pending.size(); }
    // The desktop notice for the run so far; empty when it counted nothing.
    QString runNotice() const;

  private:
    QString m_path;
    QList<CountedVisit> m_pending;
    QList<CountedVisit> m_run;
    bool m_failureShown = false;
};

// The notice of a run that counted `visits`, in the order counted: "新しい足あと: 山田花子 さん",
// then " ほか1人", " ほか2人", ... for the other visitors. Visitors are told apart by member id, so
// one visitor counted on both pages is one; the name is the one the first visit carried. Empty
// when there are no visits.
QString NewVisitNotice(const QList<CountedVisit>& visits);
