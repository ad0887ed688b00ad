// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "app/caption_button.h"
#include "app/ranking_view.h"
#include "platform/text_codec.h"
#include "tests/app/main_window_fixture.h"

namespace {

struct Visitor {
    QString name;
    qint32 id;
    qint32 count;
    QString memo;
};

// The window loaded and shown, with these visitors in table order.
void load(MainWindowFixture& f, const QList<Visitor>& visitors) {
    f.window->start();
    for (const Visitor& v : visitors) {
        f.window->book().table().SetVisitor(v.name, QString::number(v.id), QString::number(v.count),
                                            "2026年12月06日 22:19", v.memo,
                                            f.window->book().table().RowCount);
    }
    f.window->book().RefreshRanking();
}

QStringList listNames(MainWindow& window) {
    QStringList names;
    for (int row = 0; row < window.book().ranking().rowCount(); ++row) {
        names << window.book().ranking().text(row, RankingModel::NameColumn);
    }
    return names;
}

QString fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? DecodeCp932(file.readAll()) : QString();
}

// Whether Command4, Command5 and MNU_MEMO can be used, as the user sees them.
QList<bool> listCommandsEnabled(MainWindow& window) {
    return {control<CaptionButton>(&window, "Command4")->isEnabled(),
            control<CaptionButton>(&window, "Command5")->isEnabled(),
            control<QAction>(&window, "MNU_MEMO")->isEnabled()};
}

const QList<bool> kAvailable = {true, true, true};
const QList<bool> kUnavailable = {false, false, false};

}  // namespace

// Delete by count, the CSV export and the memo edit, through the real window.
class ListCommandsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void deleteByCount_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("message");
        QTest::newRow("at or below 1") << "1" << QStringList{"a", "b"} << QString();
        QTest::newRow("not a number")
            << "abc" << QStringList{"a", "b", "c"} << QStringLiteral("数値を入力してください。");
    }
    void deleteByCount() {
        QFETCH(QString, answer);
        QFETCH(QStringList, names);
        QFETCH(QString, message);
        MainWindowFixture f;
        load(f, {{"a", 1, 5, {}}, {"b", 2, 2, {}}, {"c", 3, 1, {}}});
        f.platform.dialogs->inputAnswers.push_back(answer);
        QTest::mouseClick(control<CaptionButton>(f.window, "Command4"), Qt::LeftButton);
        QCOMPARE(f.platform.dialogs->inputs.size(), size_t(1));
        QCOMPARE(listNames(*f.window), names);
        QCOMPARE(f.window->panelText(2), RankingCountText(int(names.size())));
        QCOMPARE(f.platform.dialogs->messages.size(), size_t(message.isEmpty() ? 0 : 1));
        if (!message.isEmpty()) {
            QCOMPARE(f.platform.dialogs->messages[0].prompt, message);
            QCOMPARE(f.platform.dialogs->messages[0].title, QStringLiteral("Kestrelview"));
        }
        QVERIFY(!QFile::exists(f.window->book().dataPath()));
    }

    void exportWritesTheCsvBesideTheProgramAndConfirms() {
        MainWindowFixture f;
        load(f, {{"a", 1, 5, "メモ"}, {"b", 2, 2, {}}});
        QTest::mouseClick(control<CaptionButton>(f.window, "Command5"), Qt::LeftButton);
        QCOMPARE(
            fileText(f.path("output.csv")),
            QStringLiteral("a,1,5,2026年12月06日 22:19,メモ\r\nb,2,2,2026年12月06日 22:19,\r\n"));
        QCOMPARE(f.platform.dialogs->messages.size(), size_t(1));
        QCOMPARE(
            f.platform.dialogs->messages[0].prompt,
            QStringLiteral("同ディレクトリに「output.csv」というファイル名で書き出しました。"));
    }

    // The list is sorted by its header, so its rows are not the table's.
    void memoEditsTheVisitorInTheSelectedRow_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("memo");
        QTest::newRow("OK") << std::optional<QString>("新しいメモ") << QStringLiteral("新しいメモ");
        QTest::newRow("Cancel") << std::optional<QString>() << QStringLiteral("古いメモ");
    }
    void memoEditsTheVisitorInTheSelectedRow() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, memo);
        MainWindowFixture f;
        load(f, {{"a", 1, 5, "古いメモ"}, {"b", 2, 3, {}}, {"c", 3, 1, {}}});
        Q_EMIT control<RankingView>(f.window, "ListView1")
            ->header()
            ->sectionClicked(RankingModel::NameColumn);  // c, b, a
        const QModelIndex row = f.window->book().rankingSort().index(2, RankingModel::NameColumn);
        QCOMPARE(row.data().toString(), QStringLiteral("a"));
        QTest::mouseClick(control<RankingView>(f.window, "ListView1")->viewport(), Qt::LeftButton,
                          {},
                          control<RankingView>(f.window, "ListView1")->visualRect(row).center());

        f.platform.dialogs->inputAnswers.push_back(answer);
        f.window->findChild<QAction*>("MNU_MEMO")->trigger();
        QCOMPARE(f.platform.dialogs->inputs.size(), size_t(1));
        QCOMPARE(f.platform.dialogs->inputs[0].defaultText, QStringLiteral("古いメモ"));
        QCOMPARE(f.window->book().ranking().text(0, RankingModel::MemoColumn), memo);
        QCOMPARE(f.window->book().table()[0].Memo, memo);
        QVERIFY(f.window->book().table()[1].Memo.isEmpty());
        QVERIFY(f.window->book().table()[2].Memo.isEmpty());
        if (answer) {
            QVERIFY(fileText(f.window->book().dataPath())
                        .contains("a\t1\t5\t2026年12月06日 22:19\t" + memo));
        } else {
            QVERIFY(!QFile::exists(f.window->book().dataPath()));
        }
    }

    void commandsWaitForFileWorkAndForACollectedPage() {
        MainWindowFixture f;
        load(f, {{"a", 1, 5, {}}, {"b", 2, 3, {}}});
        QCOMPARE(listCommandsEnabled(*f.window), kAvailable);

        QList<QList<bool>> seen;
        f.platform.clock->onProcessEvents = [&] { seen << listCommandsEnabled(*f.window); };
        f.window->book().SaveDataFile(f.window->book().dataPath(), false);
        f.window->book().loadDataFile(f.window->book().dataPath());
        f.platform.clock->onProcessEvents = nullptr;
        QVERIFY(!seen.isEmpty());
        QVERIFY(!seen.contains(kAvailable));
        QCOMPARE(listCommandsEnabled(*f.window), kAvailable);

        f.window->collection().setBusy(true);
        QCOMPARE(listCommandsEnabled(*f.window), kUnavailable);
        QTest::mouseClick(control<CaptionButton>(f.window, "Command4"), Qt::LeftButton);
        QVERIFY(f.platform.dialogs->inputs.empty());
        f.window->collection().setBusy(false);
        QCOMPARE(listCommandsEnabled(*f.window), kAvailable);
    }

    // The export's save goes through the window, so an exit asked for meanwhile waits for it.
    void exitDuringAnExportWaitsForTheFile() {
        MainWindowFixture f;
        QList<Visitor> visitors;
        for (int i = 0; i < 30; ++i) {
            visitors.append({QStringLiteral("v%1").arg(i), 100 + i, 30 - i, {}});
        }
        load(f, visitors);
        QSignalSpy ended(f.window.get(), &MainWindow::programEnded);
        bool closedMidway = false;
        bool endedMidway = false;
        f.platform.clock->onProcessEvents = [&] {
            if (!closedMidway && f.window->lifecycle().filesBusy() &&
                f.platform.clock->sleepCalls >= 10) {
                closedMidway = true;
                f.window->close();
                endedMidway = !ended.isEmpty();
            }
        };
        QTest::mouseClick(control<CaptionButton>(f.window, "Command5"), Qt::LeftButton);
        QVERIFY(closedMidway);
        QVERIFY(!endedMidway);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(fileText(f.path("output.csv")).count(u'\n'), 30);
    }
};

QTEST_MAIN(ListCommandsTest)
#include "list_commands_test.moc"
