// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The data file or the CSV file (the input, its last byte choosing which) loaded, saved over
// itself and loaded again: the second load gives the rows of the first, a file that did not load
// exactly is kept as a copy byte for byte, and saving the reloaded table writes the same bytes.

#include <QDir>
#include <QFile>

#include "fuzz/fuzz_support.h"
#include "tests/support/test_platform.h"
#include "visitors/data_files.h"
#include "visitors/ranking_model.h"
#include "visitors/status_panels.h"
#include "visitors/visitor_table.h"

namespace {

class QuietPanels final : public StatusPanels {
  public:
    void showStatus(int, const QString&) override {}
};

// One load or save at a time over the table it owns.
struct Session {
    explicit Session(TestPlatform& platform) : files(*platform, table, ranking, panels) {}
    void load(const QString& path, bool csv) {
        csv ? files.CSV_FileLoad(path) : files.TAB_FileLoad(path);
        ranking.RefreshRanking(table);
    }
    void save(const QString& path, bool csv) {
        csv ? files.SaveCsvFile(path, false) : files.SaveDataFile(path, false);
    }

    VisitorTable table;
    RankingModel ranking;
    QuietPanels panels;
    VisitorFiles files;
};

QString describe(const VisitorRecord& row) {
    return QStringList{row.Name, QString::number(row.Id), QString::number(row.AccessCount),
                       row.LastAccess, row.Memo}
        .join(u'|');
}

// Text that CP932 cannot hold is written as "?"; text decoded from the file always can, except
// the replacement character of bytes that were not CP932. A TAB, which a comma-separated line
// may hold, is written as a blank, since the data file that rows go to cannot hold one.
QString asWritten(QString text) {
    return text.replace(QChar::ReplacementCharacter, u'?').replace(u'\t', u' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    fuzz::init();
    FuzzedDataProvider data(bytes, size);
    const bool csv = data.ConsumeBool();
    const std::string file = data.ConsumeRemainingBytesAsString();

    QDir folder(fuzz::scratchFolder());
    for (const QString& name : folder.entryList(QDir::Files)) {
        folder.remove(name);
    }
    const QString path =
        folder.filePath(csv ? QStringLiteral("output.csv") : QStringLiteral("zodadud_data.dat"));
    fuzz::writeFile(path, QByteArrayView(file.data(), qsizetype(file.size())));

    TestPlatform platform(fuzz::scratchFolder());
    platform.clock->processRealEvents = false;

    Session first(platform);
    first.load(path, csv);
    const bool inexact = first.files.lastLoadInexact();
    const int rows = first.ranking.rowCount();
    first.save(path, csv);
    KV_FUZZ_CHECK(
        platform.dialogs->messages.size() == (inexact ? 1u : 0u),
        QStringLiteral("%1 messages after one save").arg(platform.dialogs->messages.size()));
    if (inexact) {
        KV_FUZZ_CHECK(fuzz::readFile(path + QStringLiteral(".unread")) ==
                          QByteArrayView(file.data(), qsizetype(file.size())),
                      QStringLiteral("the copy of the file that did not load differs"));
    }
    const QByteArray saved = fuzz::readFile(path);

    Session second(platform);
    second.load(path, csv);
    KV_FUZZ_CHECK(second.ranking.rowCount() == rows,
                  QStringLiteral("%1 rows, then %2").arg(rows).arg(second.ranking.rowCount()));
    for (int i = 0; i < rows; ++i) {
        const VisitorRecord& a = first.table[i];
        const VisitorRecord& b = second.table[i];
        KV_FUZZ_CHECK(asWritten(a.Name) == b.Name && a.Id == b.Id &&
                          a.AccessCount == b.AccessCount &&
                          asWritten(a.LastAccess) == b.LastAccess && asWritten(a.Memo) == b.Memo,
                      QStringLiteral("row %1: %2 became %3").arg(i).arg(describe(a), describe(b)));
    }
    const QString again = folder.filePath(QStringLiteral("again"));
    second.save(again, csv);
    KV_FUZZ_CHECK(fuzz::readFile(again) == saved,
                  QStringLiteral("saving the reloaded rows wrote other bytes"));
    return 0;
}
