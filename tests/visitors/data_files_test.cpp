// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/paths.h"
#include "platform/text_codec.h"
#include "tests/support/test_files.h"
#include "tests/support/test_platform.h"
#include "visitors/data_files.h"
#include "visitors/ranking_model.h"
#include "visitors/status_panels.h"
#include "visitors/visitor_table.h"

namespace {

class RecordingPanels final : public StatusPanels {
  public:
    void showStatus(int panel, const QString& text) override {
        texts.append(QStringLiteral("%1:%2").arg(panel).arg(text));
    }
    QStringList texts;
};

}  // namespace

class DataFilesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();

    void savesTheRowsTheRankingShowsInTableOrder();
    void savesCsvWithCommas();
    void anEmptyTableGivesAnEmptyFile();
    void rowsSurviveSaveAndLoad();
    void pacesEveryRowAndStaysResponsive();

    void loadsWhatTheFileHolds_data();
    void loadsWhatTheFileHolds();
    void aMissingFileOrAFolderLoadsNothing();
    void loadsALargeFile();

    void keepsACopyBeforeReplacingAFileThatDidNotLoadWhole();
    void neverOverwritesAnEarlierCopy();
    void copiesOnlyTheFileThatWasLoaded();
    void aFileThatLoadedWholeIsReplacedWithoutACopy();

    void aFailedSaveWritesTheFallbackAndKeepsTheOldFile_data();
    void aFailedSaveWritesTheFallbackAndKeepsTheOldFile();
    void aFailedFallbackIsToldOnceMore();
    void aFailedSaveKeepsTheCopyForTheNextOne();

  private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void addRows(const QList<int>& counts);
    void refresh() { m_ranking->RefreshRanking(*m_table); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPlatform> m_platform;
    std::unique_ptr<VisitorTable> m_table;
    std::unique_ptr<RankingModel> m_ranking;
    std::unique_ptr<RecordingPanels> m_panels;
    std::unique_ptr<VisitorFiles> m_files;
};

void DataFilesTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<TestPlatform>(m_dir->path());
    m_table = std::make_unique<VisitorTable>();
    m_ranking = std::make_unique<RankingModel>();
    m_panels = std::make_unique<RecordingPanels>();
    m_files = std::make_unique<VisitorFiles>(**m_platform, *m_table, *m_ranking, *m_panels);
}

void DataFilesTest::cleanup() {
    m_files.reset();
    m_platform.reset();
    m_dir.reset();
}

void DataFilesTest::addRows(const QList<int>& counts) {
    for (int count : counts) {
        const qsizetype i = m_table->RowCount;
        m_table->SetVisitor(QStringLiteral("名前%1").arg(i), QString::number(100 + i),
                            QString::number(count), QStringLiteral("2009年01月07日 22:19"),
                            i == 0 ? QStringLiteral("メモ") : QString(), i);
    }
}

void DataFilesTest::savesTheRowsTheRankingShowsInTableOrder() {
    addRows({3, 5});
    refresh();
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(readBytes(path("zodadud_data.dat")),
             QByteArray("\x96\xBC\x91\x4F"
                        "0\t100\t3\t2009\x94\x4E"
                        "01\x8C\x8E"
                        "07\x93\xFA 22:19\t\x83\x81\x83\x82\r\n"
                        "\x96\xBC\x91\x4F"
                        "1\t101\t5\t2009\x94\x4E"
                        "01\x8C\x8E"
                        "07\x93\xFA 22:19\t\r\n"));
    QCOMPARE(m_panels->texts, (QStringList{"1:保存中です...", "1:Ready"}));
    QVERIFY(m_platform->dialogs->messages.empty());

    // A row added after the last refill is not in the ranking yet, so not in the file.
    addRows({1});
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(readBytes(path("zodadud_data.dat")).count("\r\n"), 2);
}

void DataFilesTest::savesCsvWithCommas() {
    m_table->SetVisitor(QStringLiteral("a,b"), "7", "2", "t", "m", 0);
    refresh();
    m_files->SaveCsvFile(path("output.csv"), false);
    QCOMPARE(readBytes(path("output.csv")), QByteArray("a\x81\x43"
                                                       "b,7,2,t,m\r\n"));
}

void DataFilesTest::anEmptyTableGivesAnEmptyFile() {
    writeBytes(path("zodadud_data.dat"), "old\r\n");
    refresh();
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(readBytes(path("zodadud_data.dat")), QByteArray());
}

void DataFilesTest::rowsSurviveSaveAndLoad() {
    const QString name = QStringLiteral("ｶﾀｶﾅ①㈱髙～≒Ⅰ纊");
    const QString memo = QStringLiteral("メモ\tタブ\n改行");
    m_table->SetVisitor(name, "2147483647", "9", QStringLiteral("2026年12月07日 23:59"), memo, 0);
    m_table->SetVisitor("b", "1", "1", "", "", 1);
    refresh();
    m_files->SaveDataFile(path("zodadud_data.dat"), false);

    VisitorTable loaded;
    VisitorFiles files(**m_platform, loaded, *m_ranking, *m_panels);
    files.TAB_FileLoad(path("zodadud_data.dat"));
    QCOMPARE(loaded.RowCount, qsizetype(2));
    QCOMPARE(loaded[0].Name, name);
    QCOMPARE(loaded[0].Id, 2147483647);
    QCOMPARE(loaded[0].AccessCount, 9);
    QCOMPARE(loaded[0].LastAccess, QStringLiteral("2026年12月07日 23:59"));
    QCOMPARE(loaded[0].Memo, QStringLiteral("メモ タブ 改行"));
    QCOMPARE(loaded[1].Name, QString("b"));
    QVERIFY(!files.lastLoadInexact());
}

void DataFilesTest::pacesEveryRowAndStaysResponsive() {
    addRows({1, 1, 1, 1, 1});
    refresh();
    bool busyBetweenRows = false;
    m_platform->clock->onProcessEvents = [&] { busyBetweenRows = m_files->busy(); };
    const int sleepsBefore = m_platform->clock->sleepCalls;
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    // A 1 ms wait takes two passes of the counter: more than 1 ms must pass.
    QCOMPARE(m_platform->clock->sleepCalls - sleepsBefore, 10);
    QVERIFY(busyBetweenRows);
    QVERIFY(!m_files->busy());

    m_platform->clock->sleepCalls = 0;
    VisitorTable loaded;
    VisitorFiles files(**m_platform, loaded, *m_ranking, *m_panels);
    files.TAB_FileLoad(path("zodadud_data.dat"));
    QCOMPARE(m_platform->clock->sleepCalls, 10);
}

void DataFilesTest::loadsWhatTheFileHolds_data() {
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");  // the loaded rows as FormatVisitorLine with "|"
    QTest::addColumn<int>("shown");         // rows the ranking reaches
    QTest::addColumn<bool>("whole");        // the file loaded exactly as it stands

    const QByteArray a = "a\t1\t2\tt1\tm1";
    const QByteArray b = "b\t2\t1\tt2\t";
    QTest::newRow("CR LF") << false << a + "\r\n" + b + "\r\n"
                           << QStringList{"a|1|2|t1|m1", "b|2|1|t2|"} << 2 << true;
    QTest::newRow("LF only") << false << a + "\n" + b + "\n"
                             << QStringList{"a|1|2|t1|m1", "b|2|1|t2|"} << 2 << true;
    QTest::newRow("CR only") << false << a + "\r" + b << QStringList{"a|1|2|t1|m1", "b|2|1|t2|"}
                             << 2 << true;
    QTest::newRow("last line without line end")
        << false << a + "\r\n" + b << QStringList{"a|1|2|t1|m1", "b|2|1|t2|"} << 2 << true;
    QTest::newRow("empty file") << false << QByteArray() << QStringList{} << 0 << true;
    QTest::newRow("empty lines at the end") << false << a + "\r\n\r\n\r\n"
                                            << QStringList{"a|1|2|t1|m1"} << 1 << true;
    QTest::newRow("empty line in the middle") << false << a + "\r\n\r\n" + b + "\r\n"
                                              << QStringList{"a|1|2|t1|m1"} << 1 << false;
    QTest::newRow("four fields") << false << QByteArray("a\t1\t2\tt1\r\n") + b
                                 << QStringList{"a|1|2|t1|", "b|2|1|t2|"} << 2 << false;
    QTest::newRow("six fields") << false << QByteArray("a\t1\t2\tt1\tm1\tx\r\n") + b
                                << QStringList{"a|1|2|t1|", "b|2|1|t2|"} << 2 << false;
    QTest::newRow("three fields") << false << QByteArray("a\t1\t2\r\n") + b << QStringList{} << 0
                                  << false;
    QTest::newRow("letters in the id")
        << false << b + "\r\nc\tx1\t2\t\t\r\n" + a << QStringList{"b|2|1|t2|"} << 1 << false;
    QTest::newRow("letters in the count") << false << b + "\r\nc\t3\tmany\t\t\r\n"
                                          << QStringList{"b|2|1|t2|"} << 1 << false;
    QTest::newRow("count beyond 32 bits") << false << b + "\r\nc\t3\t2147483648\t\t\r\n"
                                          << QStringList{"b|2|1|t2|"} << 1 << false;
    QTest::newRow("id beyond 32 bits") << false << b + "\r\nc\t99999999999\t1\t\t\r\n"
                                       << QStringList{"b|2|1|t2|"} << 1 << false;
    QTest::newRow("id of 0 hides the rows behind it")
        << false << b + "\r\nz\t0\t5\t\t\r\n" + a
        << QStringList{"b|2|1|t2|", "z|0|5||", "a|1|2|t1|m1"} << 1 << false;
    QTest::newRow("count of 0") << false << a + "\r\nz\t9\t0\t\t\r\n"
                                << QStringList{"a|1|2|t1|m1", "z|9|0||"} << 2 << false;
    QTest::newRow("negative count") << false << a + "\r\nz\t9\t-4\t\t\r\n"
                                    << QStringList{"a|1|2|t1|m1", "z|9|-4||"} << 2 << false;
    QTest::newRow("bytes that are not CP932") << false << QByteArray("x\xFFy\t5\t1\t\t\r\n")
                                              << QStringList{"x\xEF\xBF\xBDy|5|1||"} << 1 << false;
    QTest::newRow("kana, NEC and IBM characters, wave dash")
        << false << QByteArray("\xB6\xC5\x87\x40\xFB\xFC\x81\x60\t5\t1\t\t\r\n")
        << QStringList{QStringLiteral("ｶﾅ①髙～|5|1||")} << 1 << true;
    QTest::newRow("csv") << true << QByteArray("a,1,2,t1,m1\r\nb,2,1,t2,\r\n")
                         << QStringList{"a|1|2|t1|m1", "b|2|1|t2|"} << 2 << true;
    QTest::newRow("csv name with a comma stops the load")
        << true << QByteArray("a,1,2,t1,m1\r\nb,c,2,1,t2,\r\n") << QStringList{"a|1|2|t1|m1"} << 1
        << false;
}

void DataFilesTest::loadsWhatTheFileHolds() {
    QFETCH(bool, csv);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(int, shown);
    QFETCH(bool, whole);
    const QString file = path(csv ? "output.csv" : "zodadud_data.dat");
    writeBytes(file, bytes);
    if (csv) {
        m_files->CSV_FileLoad(file);
    } else {
        m_files->TAB_FileLoad(file);
    }
    QStringList loaded;
    for (qsizetype i = 0; i < m_table->RowCount; ++i) {
        loaded << FormatVisitorLine(*m_table, i, u'|');
    }
    QCOMPARE(loaded, rows);
    refresh();
    QCOMPARE(m_ranking->rowCount(), shown);
    QCOMPARE(m_files->lastLoadInexact(), !whole);
    QVERIFY(m_platform->dialogs->messages.empty());
    QVERIFY(m_panels->texts.isEmpty());
}

void DataFilesTest::aMissingFileOrAFolderLoadsNothing() {
    m_files->TAB_FileLoad(path("zodadud_data.dat"));
    QCOMPARE(m_table->RowCount, qsizetype(0));
    QVERIFY(QDir(m_dir->path()).mkdir("output.csv"));
    m_files->CSV_FileLoad(path("output.csv"));
    QCOMPARE(m_table->RowCount, qsizetype(0));
    QVERIFY(!m_files->lastLoadInexact());
    QVERIFY(m_platform->dialogs->messages.empty());
}

void DataFilesTest::loadsALargeFile() {
    QByteArray bytes;
    const int rows = 100000;
    for (int i = 0; i < rows; ++i) {
        bytes += "v" + QByteArray::number(i) + "\t" + QByteArray::number(i + 1) + "\t" +
                 QByteArray::number(rows - i) + "\t2026/1/1 0:00\t\r\n";
    }
    writeBytes(path("zodadud_data.dat"), bytes);
    m_platform->clock->processRealEvents = false;
    m_files->TAB_FileLoad(path("zodadud_data.dat"));
    QCOMPARE(m_table->RowCount, qsizetype(rows));
    QCOMPARE(m_table->liveRowCount(), qsizetype(rows));
    QCOMPARE(m_platform->clock->sleepCalls, 2 * rows);
    QVERIFY(!m_files->lastLoadInexact());

    refresh();
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(readBytes(path("zodadud_data.dat")), bytes);
}

void DataFilesTest::keepsACopyBeforeReplacingAFileThatDidNotLoadWhole() {
    const QByteArray original = "a\t1\t2\tt\tm\r\n\r\nb\t2\t1\tt\t\r\n";
    writeBytes(path("zodadud_data.dat"), original);
    m_files->TAB_FileLoad(path("zodadud_data.dat"));
    refresh();
    QVERIFY(m_files->lastLoadInexact());

    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(readBytes(path("zodadud_data.dat.unread")), original);
    QCOMPARE(readBytes(path("zodadud_data.dat")), QByteArray("a\t1\t2\tt\tm\r\n"));
    QVERIFY(readBytes(path("kestrelview.log"))
                .contains(QString("複写 " + path("zodadud_data.dat") + " → " +
                                  path("zodadud_data.dat.unread"))
                              .toUtf8()));
    QCOMPARE(m_platform->dialogs->messages.size(), size_t(1));
    const auto& message = m_platform->dialogs->messages.front();
    QCOMPARE(message.title, QStringLiteral("Kestrelview"));
    QCOMPARE(message.prompt,
             QStringLiteral("データファイルの一部を読み込めませんでした。元のファイルを「"
                            "zodadud_data.dat.unread」として保存しました。"));

    // Told once: the next save replaces a file that holds what the table holds.
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(m_platform->dialogs->messages.size(), size_t(1));
    QCOMPARE(QDir(m_dir->path()).entryList({"*.unread*"}), QStringList{"zodadud_data.dat.unread"});
}

void DataFilesTest::neverOverwritesAnEarlierCopy() {
    writeBytes(path("zodadud_data.dat.unread"), "first copy");
    writeBytes(path("zodadud_data.dat.unread.2"), "second copy");
    writeBytes(path("zodadud_data.dat"), "broken line\r\n");
    m_files->TAB_FileLoad(path("zodadud_data.dat"));
    refresh();
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(readBytes(path("zodadud_data.dat.unread")), QByteArray("first copy"));
    QCOMPARE(readBytes(path("zodadud_data.dat.unread.2")), QByteArray("second copy"));
    QCOMPARE(readBytes(path("zodadud_data.dat.unread.3")), QByteArray("broken line\r\n"));
    QVERIFY(m_platform->dialogs->messages.front().prompt.contains("「zodadud_data.dat.unread.3」"));
}

void DataFilesTest::copiesOnlyTheFileThatWasLoaded() {
    writeBytes(path("output.csv"), "a,1,1,t,m\r\nb,x,1,t,m\r\n");
    m_files->CSV_FileLoad(path("output.csv"));
    refresh();
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QVERIFY(m_platform->dialogs->messages.empty());
    QVERIFY(!QFile::exists(path("zodadud_data.dat.unread")));

    m_files->SaveCsvFile(path("output.csv"), false);
    QCOMPARE(readBytes(path("output.csv.unread")), QByteArray("a,1,1,t,m\r\nb,x,1,t,m\r\n"));
    QCOMPARE(readBytes(path("output.csv")), QByteArray("a,1,1,t,m\r\n"));
    QCOMPARE(m_platform->dialogs->messages.size(), size_t(1));
}

void DataFilesTest::aFileThatLoadedWholeIsReplacedWithoutACopy() {
    writeBytes(path("zodadud_data.dat"), "a\t1\t1\tt\tm\n");
    m_files->TAB_FileLoad(path("zodadud_data.dat"));
    refresh();
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(readBytes(path("zodadud_data.dat")), QByteArray("a\t1\t1\tt\tm\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"zodadud_data.dat"});
    QVERIFY(m_platform->dialogs->messages.empty());
}

void DataFilesTest::aFailedSaveWritesTheFallbackAndKeepsTheOldFile_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("cannot be created") << "create";
    QTest::newRow("write fails after some rows") << "write";
    QTest::newRow("final rename fails") << "commit";
    QTest::newRow("a folder at the path") << "folder";
}

void DataFilesTest::aFailedSaveWritesTheFallbackAndKeepsTheOldFile() {
    QFETCH(QString, fault);
    const QString dataPath = path("zodadud_data.dat");
    const QByteArray old = "old\t1\t1\t\t\r\n";
    FaultyFileStore& files = *m_platform->files;
    if (fault == "folder") {
        QVERIFY(QDir(m_dir->path()).mkdir("zodadud_data.dat"));
    } else {
        writeBytes(dataPath, old);
    }
    if (fault == "create") {
        files.failCreate = [&](const QString& p) { return p == dataPath; };
    } else if (fault == "write") {
        files.failWrite = [&](const QString& p, int i) { return p == dataPath && i == 2; };
    } else if (fault == "commit") {
        files.failCommit = [&](const QString& p) { return p == dataPath; };
    }
    addRows({4, 3, 2, 1});
    refresh();
    m_files->SaveDataFile(dataPath, false);

    if (fault != "folder") {
        QCOMPARE(readBytes(dataPath), old);
    }
    QCOMPARE(readBytes(path("setting.bak")).count("\r\n"), 4);
    QVERIFY(readBytes(path("setting.bak"))
                .startsWith("\x96\xBC\x91\x4F"
                            "0\t100\t4\t"));
    QCOMPARE(m_platform->dialogs->messages.size(), size_t(1));
    const auto& message = m_platform->dialogs->messages.front();
    QCOMPARE(message.title, QStringLiteral("書き込みエラー"));
    QCOMPARE(message.icon, MessageIcon::None);
    QCOMPARE(message.prompt,
             QStringLiteral("ファイルの書き出しに失敗しました。\r\n") + dataPath +
                 QStringLiteral("をExcel等で開いたままでプログラムを実行しないでください"));
    QCOMPARE(m_panels->texts.last(), QStringLiteral("1:Ready"));
    // The log says which file failed and where its rows went.
    QVERIFY(
        readBytes(path("kestrelview.log"))
            .contains(
                QString("保存失敗 " + dataPath + " → 代わりに " + path("setting.bak")).toUtf8()));
    QStringList leftovers = QDir(m_dir->path()).entryList(QDir::Files);
    leftovers.removeAll("setting.bak");
    leftovers.removeAll("zodadud_data.dat");
    leftovers.removeAll("kestrelview.log");
    QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(",")));
}

// The rows are then on no disk at all, and the user must not think them kept in the fallback.
void DataFilesTest::aFailedFallbackIsToldOnceMore() {
    m_platform->files->failCreate = [](const QString&) { return true; };
    addRows({1});
    refresh();
    QVERIFY(!m_files->SaveCsvFile(path("output.csv"), false));
    QCOMPARE(m_platform->dialogs->messages.size(), size_t(2));
    QCOMPARE(m_platform->dialogs->messages[1].title, QStringLiteral("書き込みエラー"));
    QVERIFY(m_platform->dialogs->messages[1].prompt.contains(path("setting.bak")));
    QVERIFY(!QFile::exists(path("setting.bak")));
    QCOMPARE(m_panels->texts.last(), QStringLiteral("1:Ready"));
    QCOMPARE(m_platform->files->createdPaths,
             (std::vector<QString>{path("output.csv"), path("setting.bak")}));
}

void DataFilesTest::aFailedSaveKeepsTheCopyForTheNextOne() {
    const QByteArray original = "a\t1\t1\tt\tm\r\nb\tx\r\n";
    writeBytes(path("zodadud_data.dat"), original);
    m_files->TAB_FileLoad(path("zodadud_data.dat"));
    refresh();
    m_platform->files->failCommit = [](const QString& p) { return p.endsWith(".dat"); };
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(readBytes(path("zodadud_data.dat")), original);
    QCOMPARE(readBytes(path("zodadud_data.dat.unread")), original);
    QCOMPARE(m_platform->dialogs->messages.size(), size_t(1));  // the write error only

    m_platform->files->failCommit = nullptr;
    m_files->SaveDataFile(path("zodadud_data.dat"), false);
    QCOMPARE(readBytes(path("zodadud_data.dat")), QByteArray("a\t1\t1\tt\tm\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList({"*.unread*"}), QStringList{"zodadud_data.dat.unread"});
    QCOMPARE(m_platform->dialogs->messages.size(), size_t(2));
    QVERIFY(m_platform->dialogs->messages.back().prompt.contains("「zodadud_data.dat.unread」"));
}

QTEST_GUILESS_MAIN(DataFilesTest)
#include "data_files_test.moc"
