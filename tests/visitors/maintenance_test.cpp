// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/paths.h"
#include "platform/text_codec.h"
#include "tests/support/test_platform.h"
#include "visitors/data_files.h"
#include "visitors/maintenance.h"
#include "visitors/ranking_model.h"
#include "visitors/status_panels.h"
#include "visitors/visitor_data.h"
#include "visitors/visitor_table.h"

Q_DECLARE_METATYPE(std::optional<qint32>)

namespace {

class NullPanels final : public StatusPanels {
  public:
    void showStatus(int, const QString&) override {}
};

// The program around the commands: a visitor table, its ranking list and its files.
struct Window final : MaintenanceHost, VisitorData {
    explicit Window(const QString& folder)
        : platform(folder),
          files(*platform, table, rankingModel, panels),
          maintenance(*platform, *this, *this) {}

    void RefreshRanking() override {
        ++refreshes;
        rankingModel.RefreshRanking(table);
    }
    bool collecting() const override { return busy; }
    bool filesBusy() const override { return files.busy(); }
    QWidget* dialogParent() const override { return nullptr; }
    void showStatus(int, const QString&) override {}
    VisitorTable& visitorTable() override { return table; }
    RankingModel& ranking() override { return rankingModel; }
    QString dataPath() const override {
        return AppFilePath(platform.platform->dataFolder, "\\zodadud_data.dat");
    }
    QString csvPath() const override {
        return AppFilePath(platform.platform->dataFolder, "\\output.csv");
    }
    bool SaveDataFile(const QString& path, bool IsFallback) override {
        return files.SaveDataFile(path, IsFallback);
    }
    bool SaveCsvFile(const QString& path, bool IsFallback) override {
        return files.SaveCsvFile(path, IsFallback);
    }

    void add(const QString& name, qint32 id, qint32 count, const QString& memo = {}) {
        table.SetVisitor(name, QString::number(id), QString::number(count), "2009年01月07日 22:19",
                         memo, table.RowCount);
        rankingModel.RefreshRanking(table);
    }
    QStringList liveNames() const {
        QStringList names;
        for (qsizetype i = 0; i < table.liveRowCount(); ++i) {
            names.append(table[i].Name);
        }
        return names;
    }
    int rowOf(qint32 id) const {
        for (int row = 0; row < rankingModel.rowCount(); ++row) {
            if (rankingModel.text(row, RankingModel::IdColumn).trimmed() == QString::number(id)) {
                return row;
            }
        }
        return -1;
    }
    QString fileText(const QString& name) const {
        QFile file(AppFilePath(platform.platform->dataFolder, name));
        return file.open(QIODevice::ReadOnly) ? DecodeCp932(file.readAll()) : QString();
    }

    TestPlatform platform;
    VisitorTable table;
    RankingModel rankingModel;
    NullPanels panels;
    VisitorFiles files;
    ListMaintenance maintenance;
    bool busy = false;
    int refreshes = 0;
};

}  // namespace

// Delete by count, the CSV export and the memo edit.
class MaintenanceTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

    void deleteAnswer_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<std::optional<qint32>>("count");
        QTest::newRow("half to even, down") << "2.5" << std::optional<qint32>(2);
        QTest::newRow("half to even, up") << "3.5" << std::optional<qint32>(4);
        QTest::newRow("negative") << "-1" << std::optional<qint32>(-1);
        QTest::newRow("word") << "abc" << std::optional<qint32>();
        QTest::newRow("empty") << "" << std::optional<qint32>();
        QTest::newRow("blank") << " \u3000 " << std::optional<qint32>();
        QTest::newRow("full-width digits") << "１２" << std::optional<qint32>(12);
        QTest::newRow("full-width sign and point") << "－４．５" << std::optional<qint32>(-4);
        QTest::newRow("blanks around") << " 3 " << std::optional<qint32>(3);
        QTest::newRow("ideographic blanks and tabs")
            << "\u3000\t7\u3000" << std::optional<qint32>(7);
        QTest::newRow("exponent") << "1e2" << std::optional<qint32>();
        QTest::newRow("thousands separator") << "1,000" << std::optional<qint32>();
        QTest::newRow("beyond 32 bits") << "99999999999" << std::optional<qint32>();
        QTest::newRow("largest") << "2147483647" << std::optional<qint32>(2147483647);
        QTest::newRow("rounds past the largest") << "2147483647.5" << std::optional<qint32>();
        QTest::newRow("smallest") << "-2147483648" << std::optional<qint32>(-2147483647 - 1);
        QTest::newRow("blank inside") << "1 2" << std::optional<qint32>();
        QTest::newRow("two points") << "1.2.3" << std::optional<qint32>();
        QTest::newRow("point only") << "." << std::optional<qint32>();
        QTest::newRow("hundreds of digits") << QString(400, u'9') << std::optional<qint32>();
    }
    void deleteAnswer() {
        QFETCH(QString, answer);
        QFETCH(std::optional<qint32>, count);
        QCOMPARE(ParseDeleteAnswer(answer), count);
    }

    // A table loaded from a file that was not in descending order: cleared rows must leave no
    // gap, or every row behind the first gap would drop out of the list and the next save.
    void deleteLeavesNoRowBehindAGap() {
        Window w(m_dir.path());
        w.add("a", 1, 1);
        w.add("b", 2, 5);
        w.add("c", 3, 1);
        w.add("d", 4, 3);
        w.add("e", 5, 4);
        const qsizetype rowCount = w.table.RowCount;
        QCOMPARE(DeleteByCount(w.table, 1), qsizetype(2));
        QCOMPARE(w.liveNames(), (QStringList{"b", "e", "d"}));
        QCOMPARE(w.table.RowCount, rowCount);
        for (qsizetype i = 3; i < w.table.slotCount(); ++i) {
            QCOMPARE(w.table[i].Id, 0);
            QVERIFY(w.table[i].Name.isEmpty());
        }
        w.RefreshRanking();
        w.files.SaveDataFile(AppFilePath(m_dir.path(), "\\zodadud_data.dat"), false);
        QCOMPARE(w.fileText("\\zodadud_data.dat").count(u'\n'), 3);
    }

    // Counts of 0 or below only come from files; they sort among the empty slots.
    void rowsWithCountsBelowOneStayReachable() {
        Window w(m_dir.path());
        w.add("zero", 1, 0);
        w.add("minus", 2, -2);
        w.add("three", 3, 3);
        QCOMPARE(DeleteByCount(w.table, -5), qsizetype(0));
        QCOMPARE(w.liveNames(), (QStringList{"three", "zero", "minus"}));
        QCOMPARE(DeleteByCount(w.table, -2), qsizetype(1));
        QCOMPARE(w.liveNames(), (QStringList{"three", "zero"}));
    }

    void deleteCommand_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<bool>("notANumber");
        QTest::newRow("cancel") << std::optional<QString>() << QStringList{"a", "b", "c"} << false;
        QTest::newRow("OK on empty")
            << std::optional<QString>("") << QStringList{"a", "b", "c"} << false;
        QTest::newRow("not a number")
            << std::optional<QString>("1e2") << QStringList{"a", "b", "c"} << true;
        QTest::newRow("default") << std::optional<QString>("1") << QStringList{"a", "b"} << false;
        QTest::newRow("rounded") << std::optional<QString>("2.5") << QStringList{"a"} << false;
        QTest::newRow("zero") << std::optional<QString>("0") << QStringList{"a", "b", "c"} << false;
    }
    void deleteCommand() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QStringList, left);
        QFETCH(bool, notANumber);
        Window w(m_dir.path());
        w.add("a", 1, 9);
        w.add("b", 2, 2);
        w.add("c", 3, 1);
        w.platform.dialogs->inputAnswers.push_back(answer);
        w.maintenance.deleteByCount();

        QCOMPARE(w.platform.dialogs->inputs.size(), size_t(1));
        QCOMPARE(w.platform.dialogs->inputs[0].prompt,
                 QStringLiteral("アクセス回数がいくつ以下の項目を削除しますか？"));
        QCOMPARE(w.platform.dialogs->inputs[0].title, QStringLiteral("削除確認"));
        QCOMPARE(w.platform.dialogs->inputs[0].defaultText, QStringLiteral("1"));
        QCOMPARE(w.liveNames(), left);
        QCOMPARE(w.rankingModel.rowCount(), int(left.size()));
        const bool changed = left.size() != 3 || answer == u"0";
        QCOMPARE(w.refreshes, changed ? 1 : 0);
        QCOMPARE(w.platform.dialogs->messages.size(), size_t(notANumber ? 1 : 0));
        if (notANumber) {
            QCOMPARE(w.platform.dialogs->messages[0].prompt,
                     QStringLiteral("数値を入力してください。"));
            QCOMPARE(w.platform.dialogs->messages[0].title, QStringLiteral("Kestrelview"));
        }
        QVERIFY(w.platform.files->createdPaths.empty());  // the data file waits for a save
    }

    void exportWritesTheCsvAndConfirms() {
        Window w(m_dir.path());
        w.add("名前", 10, 3);
        w.add("b", 20, 1, "メモ");
        w.maintenance.exportCsv();
        w.maintenance.exportCsv();
        const QString expected =
            "名前,10,3,2009年01月07日 22:19,\r\nb,20,1,2009年01月07日 22:19,メモ\r\n";
        QCOMPARE(w.fileText("\\output.csv"), expected);
        QCOMPARE(w.platform.dialogs->messages.size(), size_t(2));
        for (const auto& message : w.platform.dialogs->messages) {
            QCOMPARE(
                message.prompt,
                QStringLiteral("同ディレクトリに「output.csv」というファイル名で書き出しました。"));
            QCOMPARE(message.title, QStringLiteral("Kestrelview"));
        }
    }

    // A failed export has told its write error; a confirmation would say the opposite.
    void failedExportIsNotConfirmed() {
        Window w(m_dir.path());
        w.add("a", 1, 1);
        w.platform.files->failCommit = [](const QString& path) {
            return path.endsWith("output.csv");
        };
        w.maintenance.exportCsv();
        QCOMPARE(w.platform.dialogs->messages.size(), size_t(1));
        QCOMPARE(w.platform.dialogs->messages[0].title, QStringLiteral("書き込みエラー"));
    }

    // Cancel leaves the memo as it was, in the list, the table and the file.
    void memoCancelKeepsTheMemo() {
        Window w(m_dir.path());
        w.add("a", 1, 5, "大事なメモ");
        w.platform.dialogs->inputAnswers.push_back(std::nullopt);
        w.maintenance.editMemo(0);
        QCOMPARE(w.platform.dialogs->inputs.size(), size_t(1));
        QCOMPARE(w.platform.dialogs->inputs[0].prompt,
                 QStringLiteral("このマイミクシィに関するメモを入力してください"));
        QCOMPARE(w.platform.dialogs->inputs[0].title, QStringLiteral("メモを入力"));
        QCOMPARE(w.platform.dialogs->inputs[0].defaultText, QStringLiteral("大事なメモ"));
        QCOMPARE(w.rankingModel.text(0, RankingModel::MemoColumn), QStringLiteral("大事なメモ"));
        QCOMPARE(w.table[0].Memo, QStringLiteral("大事なメモ"));
        QVERIFY(w.platform.files->createdPaths.empty());
    }

    void memoAnswerIsStoredAndSaved_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("saved");  // the memo as the data file holds it
        QTest::newRow("text") << "よく来る人"
                              << "よく来る人";
        QTest::newRow("emptied") << ""
                                 << "";
        QTest::newRow("tab and line break") << "a\tb\nc\r\nd"
                                            << "a b c  d";
        QTest::newRow("emoji and characters CP932 lacks") << "x😀한~"
                                                          << "x??~";
    }
    void memoAnswerIsStoredAndSaved() {
        QFETCH(QString, answer);
        QFETCH(QString, saved);
        Window w(m_dir.path());
        w.add("a", 1, 5, "old");
        w.add("b", 2, 3, "keep");
        w.platform.dialogs->inputAnswers.push_back(answer);
        w.maintenance.editMemo(0);
        QCOMPARE(w.rankingModel.text(0, RankingModel::MemoColumn), answer);
        QCOMPARE(w.table[0].Memo, answer);
        QCOMPARE(w.table[1].Memo, QStringLiteral("keep"));
        QCOMPARE(w.fileText("\\zodadud_data.dat"),
                 "a\t1\t5\t2009年01月07日 22:19\t" + saved +
                     "\r\nb\t2\t3\t2009年01月07日 22:19\tkeep\r\n");
    }

    // The dialog lets a scheduled run refill the list; the memo still goes to the visitor it
    // was opened for.
    void memoLandsOnTheVisitorItWasOpenedFor() {
        Window w(m_dir.path());
        w.add("a", 1, 5);
        w.add("b", 2, 3);
        const int row = w.rowOf(2);
        w.platform.dialogs->whileInputShown = [&](const ScriptedDialogs::Input&) {
            w.table[1].AccessCount = 9;
            sortVisitorSlots(w.table, 0, w.table.upperBound());
            w.RefreshRanking();
        };
        w.platform.dialogs->inputAnswers.push_back(QStringLiteral("for b"));
        w.maintenance.editMemo(row);
        QCOMPARE(w.rowOf(2), 0);
        QCOMPARE(w.rankingModel.text(0, RankingModel::MemoColumn), QStringLiteral("for b"));
        QCOMPARE(w.rankingModel.text(1, RankingModel::MemoColumn), QString());
        QCOMPARE(w.table[0].Name, QStringLiteral("b"));
        QCOMPARE(w.table[0].Memo, QStringLiteral("for b"));
        QVERIFY(w.table[1].Memo.isEmpty());
    }

    void memoWithoutAUsableRowDoesNothing() {
        Window w(m_dir.path());
        w.add("a", 1, 5);
        w.maintenance.editMemo(std::nullopt);
        w.maintenance.editMemo(-1);
        w.maintenance.editMemo(1);
        w.rankingModel.setText(0, RankingModel::IdColumn, "      abc");
        w.maintenance.editMemo(0);
        QVERIFY(w.platform.dialogs->inputs.empty());
        QVERIFY(w.platform.dialogs->messages.empty());
        QCOMPARE(SetMemoById(w.table, 0, "x"), qsizetype(0));
        QVERIFY(w.table[5].Memo.isEmpty());
    }

    void commandsWaitWhileTheTableIsInUse() {
        Window w(m_dir.path());
        w.add("a", 1, 1);
        w.add("b", 2, 2);
        w.busy = true;
        QVERIFY(!w.maintenance.commandsAvailable());
        w.maintenance.deleteByCount();
        w.maintenance.exportCsv();
        w.maintenance.editMemo(0);
        QVERIFY(w.platform.dialogs->inputs.empty());
        QVERIFY(w.platform.files->createdPaths.empty());

        // A click that arrives while a save is between two rows.
        w.busy = false;
        bool availableDuringSave = true;
        w.platform.clock->onProcessEvents = [&] {
            availableDuringSave = availableDuringSave && w.maintenance.commandsAvailable();
            w.platform.dialogs->inputAnswers.push_back(QStringLiteral("1"));
            w.maintenance.deleteByCount();
            w.maintenance.exportCsv();
        };
        w.files.SaveDataFile(AppFilePath(m_dir.path(), "\\zodadud_data.dat"), false);
        w.platform.clock->onProcessEvents = nullptr;
        QVERIFY(!availableDuringSave);
        QVERIFY(w.platform.dialogs->inputs.empty());
        QCOMPARE(w.liveNames(), (QStringList{"a", "b"}));
        QVERIFY(w.maintenance.commandsAvailable());
    }

  private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(MaintenanceTest)
#include "maintenance_test.moc"
