// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/test_files.h"
#include "visitors/history_figures.h"
#include "visitors/history_index.h"
#include "visitors/history_loader.h"
#include "visitors/visit_history.h"

Q_DECLARE_METATYPE(CountedVisit)

// Visits by week: 0 the oldest, 51 the week that ends today.
using WeekCounts = QMap<int, int>;

namespace {

// CP932 bytes of the texts the tests write by hand.
const QByteArray kYamada = QByteArray::fromHex("8e52936389d48e71");  // 山田花子
const QByteArray kVisitTime =
    QByteArray::fromHex("32303236944e31328c8e303693fa2032323a3139");  // 2026年12月06日 22:19

QByteArray line(const QByteArray& id, const QByteArray& name, const QByteArray& time) {
    return id + '\t' + name + '\t' + time + "\r\n";
}

CountedVisit visit(qint32 id, const QString& time, const QString& name = QStringLiteral("訪問者")) {
    return {id, name, time};
}

// "2026年12月06日 22:19" from a date and time.
QString visitTime(const QDateTime& at) {
    return at.toString(QStringLiteral("yyyy年MM月dd日 HH:mm"));
}

QStringList formatted(const std::vector<VisitStamp>& stamps) {
    QStringList texts;
    for (VisitStamp stamp : stamps) {
        texts.append(FormatVisitStamp(stamp));
    }
    return texts;
}

}  // namespace

class VisitHistoryTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();

    void appendsOneCp932LinePerVisit_data();
    void appendsOneCp932LinePerVisit();
    void aFileThatCannotBeWrittenIsReportedOnceAndLosesNothing();

    void readsTheVisitsAndSkipsMalformedLines_data();
    void readsTheVisitsAndSkipsMalformedLines();
    void theIndexFollowsTheFile();
    void loadsBehindTheWindowAndKeepsTheIndex();

    void visitorFiguresCountWholeDays_data();
    void visitorFiguresCountWholeDays();
    void toldWhenTheHistoryStartsAfterTheFirstCountedVisit_data();
    void toldWhenTheHistoryStartsAfterTheFirstCountedVisit();
    void everyonesDaysAndMostFrequentVisitors();

    void noticeNamesTheFirstAndCountsTheOthers_data();
    void noticeNamesTheFirstAndCountsTheOthers();

  private:
    QString historyPath() const { return HistoryFilePath(m_dir->path()); }
    HistoryIndex write(const QList<CountedVisit>& visits);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void VisitHistoryTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

HistoryIndex VisitHistoryTest::write(const QList<CountedVisit>& visits) {
    HistoryIndex index;
    if (!AppendHistory(historyPath(), visits)) {
        QTest::qFail("the history could not be written", __FILE__, __LINE__);
    }
    index.update(historyPath());
    return index;
}

void VisitHistoryTest::appendsOneCp932LinePerVisit_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<CountedVisit>("counted");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("visitsRead");
    QTest::addColumn<int>("malformed");

    const CountedVisit yamada{123, QStringLiteral("山田花子"),
                              QStringLiteral("2026年12月06日 22:19")};
    const QByteArray yamadaLine = line("123", kYamada, kVisitTime);
    QTest::newRow("a name in kanji, into a new file")
        << QByteArray() << yamada << yamadaLine << 1 << 0;
    QTest::newRow("after the lines already there")
        << line("45", "Ann", kVisitTime) << yamada << line("45", "Ann", kVisitTime) + yamadaLine
        << 2 << 0;
    QTest::newRow("TAB, CR and LF in a name become blanks")
        << QByteArray()
        << CountedVisit{9, QStringLiteral("a\tb\rc\nd"), QStringLiteral("2026年12月06日 22:19")}
        << line("9", "a b c d", kVisitTime) << 1 << 0;
    // A crash cut the last line before its minutes were complete: closed, it must not read as
    // a visit at 22:01.
    const QByteArray cutOff = "7\tBob\t" + kVisitTime.chopped(1);
    QTest::newRow("a last line cut short stays unread")
        << cutOff << yamada << cutOff + "\t\r\n" + yamadaLine << 1 << 1;
    QTest::newRow("a last line without its LF stays unread")
        << line("7", "Bob", kVisitTime).chopped(1) << yamada
        << line("7", "Bob", kVisitTime).chopped(1) + "\t\r\n" + yamadaLine << 1 << 1;
}

void VisitHistoryTest::appendsOneCp932LinePerVisit() {
    QFETCH(QByteArray, before);
    QFETCH(CountedVisit, counted);
    QFETCH(QByteArray, after);
    QFETCH(int, visitsRead);
    QFETCH(int, malformed);
    if (!before.isEmpty()) {
        writeBytes(historyPath(), before);
    }
    QString error;
    QVERIFY2(AppendHistory(historyPath(), {counted}, &error), qPrintable(error));
    QCOMPARE(readBytes(historyPath()), after);

    HistoryIndex index;
    QVERIFY(index.update(historyPath()));
    QCOMPARE(index.visitCount(), visitsRead);
    QCOMPARE(index.malformedLines(), malformed);
}

void VisitHistoryTest::aFileThatCannotBeWrittenIsReportedOnceAndLosesNothing() {
    QVERIFY(QDir(m_dir->path()).mkdir(QFileInfo(historyPath()).fileName()));
    HistoryWriter writer(historyPath());
    writer.add(1, QStringLiteral("A"), QStringLiteral("2026年12月06日 22:19"));
    const QString message = writer.appendPage();
    QVERIFY(message.startsWith(QStringLiteral("足あと履歴の書き込みに失敗しました。\r\n")));
    QVERIFY(message.contains(QDir::toNativeSeparators(historyPath())));

    writer.add(2, QStringLiteral("B"), QStringLiteral("2026年12月06日 22:20"));
    QCOMPARE(writer.appendPage(), QString());
    QCOMPARE(writer.pendingVisits(), 2);

    QVERIFY(QDir(historyPath()).removeRecursively());
    QCOMPARE(writer.appendPage(), QString());
    QCOMPARE(writer.pendingVisits(), 0);
    HistoryIndex index;
    QVERIFY(index.update(historyPath()));
    QCOMPARE(index.visitCount(), 2);

    // Reported again once a write has worked in between.
    QVERIFY(QFile::remove(historyPath()));
    QVERIFY(QDir(m_dir->path()).mkdir(QFileInfo(historyPath()).fileName()));
    writer.add(3, QStringLiteral("C"), QStringLiteral("2026年12月06日 22:21"));
    QVERIFY(!writer.appendPage().isEmpty());
}

void VisitHistoryTest::readsTheVisitsAndSkipsMalformedLines_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("visitsOf7");
    QTest::addColumn<int>("malformed");

    const QByteArray good = line("7", "Bob", kVisitTime);
    const QStringList one{QStringLiteral("2026年12月06日 22:19")};
    QTest::newRow("one visit") << good << one << 0;
    QTest::newRow("LF alone ends a line too") << good.chopped(2) + "\n" << one << 0;
    QTest::newRow("a negative member id") << line("-7", "Bob", kVisitTime) << QStringList() << 0;
    QTest::newRow("slashes and seconds")
        << line("7", "Bob", "2026/12/06 22:19:05")
        << QStringList{QStringLiteral("2026年12月06日 22:19:05")} << 0;
    QTest::newRow("a blank before the time text") << line("7", "Bob", " " + kVisitTime) << one << 0;
    QTest::newRow("the same visit twice counts once") << good + good << one << 0;
    QTest::newRow("visits out of order are sorted")
        << line("7", "Bob", "2026/12/07 08:00") + good
        << QStringList{QStringLiteral("2026年12月06日 22:19"),
                       QStringLiteral("2026年12月07日 08:00")}
        << 0;
    const auto skipped = [&](const char* name, const QByteArray& bad) {
        QTest::newRow(name) << good + bad + line("7", "Bob", "2026/12/07 08:00")
                            << QStringList{QStringLiteral("2026年12月06日 22:19"),
                                           QStringLiteral("2026年12月07日 08:00")}
                            << 1;
    };
    skipped("letters for the id", line("7a", "Bob", kVisitTime));
    skipped("member id 0", line("0", "Bob", kVisitTime));
    skipped("an id beyond 32 bits", line("2147483648", "Bob", kVisitTime));
    skipped("an empty line", "\r\n");
    skipped("two fields", "7\tBob\r\n");
    skipped("four fields", "7\tBob\t" + kVisitTime + "\tx\r\n");
    skipped("month 13", line("7", "Bob", "2026/13/06 22:19"));
    skipped("30 February", line("7", "Bob", "2026/02/30 22:19"));
    skipped("no time of day", line("7", "Bob", "2026/12/06"));
    skipped("minutes cut short and closed", "7\tBob\t2026/12/06 22:\t\r\n");
    skipped("bytes that are not CP932", line("7", "Bob", "2026/12/06\xff 22:19"));
    QTest::newRow("a last line without its line end")
        << good + line("7", "Bob", "2026/12/07 08:00").chopped(2) << one << 1;
}

void VisitHistoryTest::readsTheVisitsAndSkipsMalformedLines() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, visitsOf7);
    QFETCH(int, malformed);
    writeBytes(historyPath(), file);
    HistoryIndex index;
    QVERIFY(index.update(historyPath()));
    const VisitorHistory* seven = index.visitor(7);
    QCOMPARE(seven ? formatted(seven->visits) : QStringList(), visitsOf7);
    QCOMPARE(index.malformedLines(), malformed);
}

void VisitHistoryTest::theIndexFollowsTheFile() {
    HistoryIndex index;
    QVERIFY(index.update(historyPath()));
    QCOMPARE(index.visitCount(), 0);
    QVERIFY(index.isCurrentWith(historyPath()));

    // A crash left the second line without its minutes' last digit; the index has read up to it.
    writeBytes(historyPath(), line("7", "Bob", kVisitTime) + "8\tAnn\t" + kVisitTime.chopped(1));
    QVERIFY(!index.isCurrentWith(historyPath()));
    QVERIFY(index.update(historyPath()));
    QVERIFY(index.isCurrentWith(historyPath()));
    QCOMPARE(index.visitCount(), 1);
    QCOMPARE(index.malformedLines(), 1);

    QVERIFY(AppendHistory(
        historyPath(), {visit(8, QStringLiteral("2026年12月07日 08:00"), QStringLiteral("Ann"))}));
    QVERIFY(!index.isCurrentWith(historyPath()));
    QVERIFY(index.update(historyPath()));
    QCOMPARE(index.visitCount(), 2);
    QCOMPARE(formatted(index.visitor(8)->visits),
             QStringList{QStringLiteral("2026年12月07日 08:00")});
    QCOMPARE(index.malformedLines(), 1);

    // Another, shorter file in its place is read whole.
    writeBytes(historyPath(), line("9", "Cy", kVisitTime));
    QVERIFY(index.update(historyPath()));
    QCOMPARE(index.visitCount(), 1);
    QVERIFY(index.visitor(9));
    QVERIFY(!index.visitor(7));
    QCOMPARE(index.malformedLines(), 0);

    QVERIFY(QFile::remove(historyPath()));
    QVERIFY(index.update(historyPath()));
    QCOMPARE(index.visitCount(), 0);
}

void VisitHistoryTest::loadsBehindTheWindowAndKeepsTheIndex() {
    writeBytes(historyPath(), line("7", "Bob", kVisitTime));
    HistoryLoader loader(historyPath());
    QVERIFY(!loader.index());
    QSignalSpy loaded(&loader, &HistoryLoader::loaded);
    loader.load();
    QVERIFY(loader.isLoading());
    QCOMPARE(loaded.count(), 0);
    QVERIFY(loaded.wait());
    QCOMPARE(loader.index()->visitCount(), 1);
    const auto first = loader.index();

    // Unchanged: the same index, at once.
    loader.load();
    QCOMPARE(loaded.count(), 2);
    QVERIFY(!loader.isLoading());
    QCOMPARE(loader.index(), first);

    QVERIFY(AppendHistory(historyPath(), {visit(8, QStringLiteral("2026年12月07日 08:00"))}));
    loader.load();
    QVERIFY(loader.isLoading());
    QVERIFY(loaded.wait());
    QCOMPARE(loader.index()->visitCount(), 2);
    QCOMPARE(first->visitCount(), 1);

    // A file that cannot be read keeps the index and says why.
    QVERIFY(QFile::remove(historyPath()));
    QVERIFY(QDir(m_dir->path()).mkdir(QFileInfo(historyPath()).fileName()));
    loader.load();
    QVERIFY(loaded.wait());
    QVERIFY(!loader.error().isEmpty());
    QCOMPARE(loader.index()->visitCount(), 2);
}

void VisitHistoryTest::visitorFiguresCountWholeDays_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QList<QDateTime>>("visits");
    QTest::addColumn<int>("lastSevenDays");
    QTest::addColumn<int>("lastThirtyDays");
    // Week (0 oldest, 51 the one ending today) and its visits, for every week with visits.
    QTest::addColumn<WeekCounts>("weeks");

    const auto at = [](int y, int mo, int d, int h, int mi) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi));
    };
    QTest::newRow("a week is today and the six days before")
        << at(2026, 12, 9, 10, 0)
        << QList<QDateTime>{at(2026, 12, 3, 0, 0), at(2026, 12, 2, 23, 59), at(2026, 11, 26, 0, 0),
                            at(2026, 11, 25, 23, 59)}
        << 1 << 4 << WeekCounts{{51, 1}, {50, 2}, {49, 1}};
    QTest::newRow("thirty days reach back across a month's end")
        << at(2026, 12, 30, 8, 0)
        << QList<QDateTime>{at(2026, 12, 1, 0, 0), at(2026, 11, 30, 23, 59)} << 0 << 1
        << WeekCounts{{47, 2}};
    QTest::newRow("across New Year")
        << at(2027, 1, 2, 12, 0)
        << QList<QDateTime>{at(2026, 12, 26, 23, 59), at(2026, 12, 27, 0, 0),
                            at(2026, 12, 31, 23, 59), at(2027, 1, 1, 0, 0)}
        << 3 << 4 << WeekCounts{{51, 3}, {50, 1}};
    QTest::newRow("later today counts, tomorrow does not")
        << at(2026, 12, 9, 10, 0)
        << QList<QDateTime>{at(2026, 12, 9, 23, 0), at(2026, 12, 10, 0, 10)} << 1 << 1
        << WeekCounts{{51, 1}};
    QTest::newRow("the oldest week begins 363 days ago")
        << at(2026, 12, 9, 10, 0)
        << QList<QDateTime>{at(2025, 12, 11, 0, 0), at(2025, 12, 10, 23, 59)} << 0 << 0
        << WeekCounts{{0, 1}};
}

void VisitHistoryTest::visitorFiguresCountWholeDays() {
    QFETCH(QDateTime, now);
    QFETCH(QList<QDateTime>, visits);
    QFETCH(int, lastSevenDays);
    QFETCH(int, lastThirtyDays);
    QFETCH(WeekCounts, weeks);
    QList<CountedVisit> counted;
    QStringList newestFirst;
    for (const QDateTime& at : visits) {
        counted.append(visit(7, visitTime(at)));
        newestFirst.append(visitTime(at));
    }
    std::sort(newestFirst.begin(), newestFirst.end(), std::greater<>());
    const HistoryIndex index = write(counted);

    const VisitorFigures figures = FiguresOfVisitor(index, 7, qint32(visits.size()), now);
    QCOMPARE(formatted(figures.visitsNewestFirst), newestFirst);
    QCOMPARE(FormatVisitStamp(figures.first.value()), newestFirst.last());
    QCOMPARE(FormatVisitStamp(figures.latest.value()), newestFirst.first());
    QCOMPARE(figures.lastSevenDays, lastSevenDays);
    QCOMPARE(figures.lastThirtyDays, lastThirtyDays);
    WeekCounts counts;
    for (int week = 0; week < kHistoryWeeks; ++week) {
        if (figures.perWeek[size_t(week)] != 0) {
            counts.insert(week, figures.perWeek[size_t(week)]);
        }
    }
    QCOMPARE(counts, weeks);
    QCOMPARE(WeekEnd(now.date(), kHistoryWeeks - 1), now.date());
}

void VisitHistoryTest::toldWhenTheHistoryStartsAfterTheFirstCountedVisit_data() {
    QTest::addColumn<qint32>("id");
    QTest::addColumn<qint32>("counted");
    QTest::addColumn<bool>("startsAfter");
    QTest::newRow("every counted visit recorded") << 7 << 2 << false;
    QTest::newRow("counted before the history began") << 7 << 5 << true;
    QTest::newRow("no visit recorded yet") << 8 << 1 << true;
    QTest::newRow("nothing counted") << 8 << 0 << false;
}

void VisitHistoryTest::toldWhenTheHistoryStartsAfterTheFirstCountedVisit() {
    QFETCH(qint32, id);
    QFETCH(qint32, counted);
    QFETCH(bool, startsAfter);
    const HistoryIndex index = write({visit(9, QStringLiteral("2026年11月01日 09:00")),
                                      visit(7, QStringLiteral("2026年12月01日 09:00")),
                                      visit(7, QStringLiteral("2026年12月02日 09:00"))});
    const VisitorFigures figures =
        FiguresOfVisitor(index, id, counted, QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    QCOMPARE(figures.startsAfterFirstCounted, startsAfter);
    // Since the history's first line, whoever it was.
    QCOMPARE(FormatVisitStamp(figures.recordingStart.value()),
             QStringLiteral("2026年11月01日 09:00"));
}

void VisitHistoryTest::everyonesDaysAndMostFrequentVisitors() {
    const QDateTime now(QDate(2027, 1, 10), QTime(12, 0));
    const QDate today = now.date();
    const auto on = [&](int daysAgo) {
        return visitTime(QDateTime(today.addDays(-daysAgo), QTime(12, 0)));
    };
    QList<CountedVisit> counted;
    // Members 1 to 12 visit 13 - id times, one visit a day from yesterday back; but 5 and 6 both
    // 7 times, 5 from the day before yesterday, and 9 and 10 both 3 times on the same days. 13
    // visited only 30 days ago and before.
    for (qint32 id = 1; id <= 12; ++id) {
        const int visits = id == 5 ? 7 : id == 9 ? 3 : 13 - id;
        for (int v = 0; v < visits; ++v) {
            counted.append(visit(id, on(v + (id == 5 ? 2 : 1)), QStringLiteral("会員%1").arg(id)));
        }
    }
    for (int v = 30; v < 60; ++v) {
        counted.append(visit(13, on(v)));
    }
    counted.append(visit(14, on(89)));
    counted.append(visit(14, on(90)));
    const HistoryIndex index = write(counted);

    const EveryoneFigures figures = FiguresOfEveryone(index, now);
    QList<qint32> ids;
    for (const FrequentVisitor& v : figures.mostFrequent) {
        ids.append(v.id);
    }
    // 9 and 10 tie on count and latest visit: the lower id first.
    QCOMPARE(ids, (QList<qint32>{1, 2, 3, 4, 6, 5, 7, 8, 9, 10}));
    QCOMPARE(figures.mostFrequent.front().visits, 12);
    QCOMPARE(figures.mostFrequent.front().name, QStringLiteral("会員1"));

    QCOMPARE(HistoryDay(today, kHistoryDays - 1), today);
    QCOMPARE(figures.perDay[kHistoryDays - 1], 0);
    QCOMPARE(figures.perDay[kHistoryDays - 2], 11);  // yesterday: all of 1 to 12 but 5
    QCOMPARE(figures.perDay[0], 1);                  // 89 days ago, not 90
}

void VisitHistoryTest::noticeNamesTheFirstAndCountsTheOthers_data() {
    QTest::addColumn<QList<CountedVisit>>("visits");
    QTest::addColumn<QString>("notice");
    const auto v = [](qint32 id, const char* name) {
        return visit(id, QStringLiteral("2026年12月06日 22:19"), QString::fromUtf8(name));
    };
    QTest::newRow("none") << QList<CountedVisit>{} << QString();
    QTest::newRow("one") << QList<CountedVisit>{v(1, "山田花子")}
                         << QStringLiteral("新しい足あと: 山田花子 さん");
    QTest::newRow("two") << QList<CountedVisit>{v(1, "山田花子"), v(2, "佐藤")}
                         << QStringLiteral("新しい足あと: 山田花子 さん ほか1人");
    QTest::newRow("three") << QList<CountedVisit>{v(1, "山田花子"), v(2, "佐藤"), v(3, "鈴木")}
                           << QStringLiteral("新しい足あと: 山田花子 さん ほか2人");
    QTest::newRow("one visitor on both pages is one")
        << QList<CountedVisit>{v(1, "山田花子"), v(2, "佐藤"), v(1, "山田花子")}
        << QStringLiteral("新しい足あと: 山田花子 さん ほか1人");
    QTest::newRow("character references as the list shows them")
        << QList<CountedVisit>{v(1, "ゆう&amp;まい")}
        << QStringLiteral("新しい足あと: ゆう&まい さん");
}

void VisitHistoryTest::noticeNamesTheFirstAndCountsTheOthers() {
    QFETCH(QList<CountedVisit>, visits);
    QFETCH(QString, notice);
    QCOMPARE(NewVisitNotice(visits), notice);

    // A run's notice covers the pages of that run only.
    HistoryWriter writer(historyPath());
    writer.add(99, QStringLiteral("前回"), QStringLiteral("2026年12月06日 22:00"));
    QVERIFY(writer.appendPage().isEmpty());
    writer.beginRun();
    for (const CountedVisit& counted : visits) {
        writer.add(counted.id, counted.name, counted.visitTime);
        QVERIFY(writer.appendPage().isEmpty());
    }
    QCOMPARE(writer.runNotice(), notice);
}

QTEST_GUILESS_MAIN(VisitHistoryTest)
#include "visit_history_test.moc"
