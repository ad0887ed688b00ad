// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "collect/footprint_parser.h"
#include "platform/runtime_error.h"
#include "tests/support/fake_clock.h"

namespace {

QString entry1(const QString& time, const QString& id, const QString& name) {
    return QStringLiteral("<li><span class=\"date\">") + time +
           QStringLiteral("</span><span class=\"name\"><a href=\"show_friend.pl?id=") + id +
           QStringLiteral("\">") + name + QStringLiteral("</a></span></li>");
}

QString entry2(const QString& time, const QString& id, const QString& name) {
    return QStringLiteral("<LI><SPAN class=date>") + time +
           QStringLiteral("</SPAN><SPAN class=name><A href=\"\"show_friend.pl?id=") + id +
           QStringLiteral("\"\">") + name + QStringLiteral("</A></SPAN></LI>");
}

QString page(const QStringList& entries) {
    return QStringLiteral("<html><body><ul>") + entries.join(QString()) +
           QStringLiteral("</ul></body></html>");
}

struct Outcome {
    QStringList entries;  // "name|id|visit time"
    int error = 0;        // RuntimeError number; -1 for a changed format
};

Outcome parse(const QString& text, int method, const QDateTime& now) {
    FakeClock clock;
    clock.processRealEvents = false;
    clock.wall = now;
    Outcome outcome;
    try {
        ParseFootprintPage(
            text,
            [method] { return method == 1 ? RetrievalMethod::Browser : RetrievalMethod::Download; },
            clock,
            [&](const FootprintEntry& e) {
                outcome.entries << e.Name + u'|' + QString::number(e.Id) + u'|' + e.LastAccess;
            });
    } catch (const RuntimeError& error) {
        outcome.error = error.number();
    } catch (const FormatChanged&) {
        outcome.error = -1;
    }
    return outcome;
}

const QDateTime kNoon(QDate(2026, 12, 7), QTime(12, 0));

}  // namespace

class FootprintParserTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void pagesYieldEntriesOrFail_data();
    void pagesYieldEntriesOrFail();
    void nameIsTheTextOfTheLink_data();
    void nameIsTheTextOfTheLink();
    void yearComesFromTheClock_data();
    void yearComesFromTheClock();
    void markerFollowsTheMethodChosenBeforeEachEntry();
    void markersAreExactlyAsTheServiceAndTheBrowserWriteThem();
    void tenMegabytePageYieldsEveryEntry();
};

void FootprintParserTest::pagesYieldEntriesOrFail_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("method");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("error");

    const QString ok =
        entry1(QStringLiteral("12月07日 11:58"), QStringLiteral("123"), QStringLiteral("山田太郎"));
    const QString okEntry = QStringLiteral("山田太郎|123|2026年12月07日 11:58");

    QTest::newRow("empty text") << QString() << 0 << QStringList() << 0;
    QTest::newRow("no marker") << QStringLiteral("<html><body>ログイン</body></html>") << 0
                               << QStringList() << 0;
    QTest::newRow("one entry") << page({ok}) << 0 << QStringList{okEntry} << 0;
    QTest::newRow("two entries in page order")
        << page({ok, entry1(QStringLiteral("12月06日 09:05"), QStringLiteral("77"),
                            QStringLiteral("鈴木花子"))})
        << 0 << QStringList{okEntry, QStringLiteral("鈴木花子|77|2026年12月06日 09:05")} << 0;
    QTest::newRow("browser markup, method 2")
        << page({entry2(QStringLiteral("12月07日 11:58"), QStringLiteral("123"),
                        QStringLiteral("山田太郎"))})
        << 1 << QStringList{okEntry} << 0;
    QTest::newRow("browser markup is not read by method 1")
        << page({entry2(QStringLiteral("12月07日 11:58"), QStringLiteral("123"),
                        QStringLiteral("山田太郎"))})
        << 0 << QStringList() << 0;
    QTest::newRow("server markup is not read by method 2") << page({ok}) << 1 << QStringList() << 0;
    QTest::newRow("marker case differs")
        << page({ok}).replace(QStringLiteral("class=\"name\""), QStringLiteral("CLASS=\"name\""))
        << 0 << QStringList() << 0;
    QTest::newRow("id with leading zeros")
        << page({entry1(QStringLiteral("12月07日 11:58"), QStringLiteral("000123"),
                        QStringLiteral("山田太郎"))})
        << 0 << QStringList{okEntry} << 0;
    QTest::newRow("id of 0 is handed on")
        << page(
               {entry1(QStringLiteral("12月07日 11:58"), QStringLiteral("0"), QStringLiteral("x"))})
        << 0 << QStringList{QStringLiteral("x|0|2026年12月07日 11:58")} << 0;
    QTest::newRow("largest id") << page({entry1(QStringLiteral("12月07日 11:58"),
                                                QStringLiteral("2147483647"), QStringLiteral("x"))})
                                << 0
                                << QStringList{QStringLiteral("x|2147483647|2026年12月07日 11:58")}
                                << 0;
    QTest::newRow("name with a character reference and blanks, as written")
        << page({entry1(QStringLiteral("12月07日 11:58"), QStringLiteral("5"),
                        QStringLiteral(" ゆう&amp;まい "))})
        << 0 << QStringList{QStringLiteral(" ゆう&amp;まい |5|2026年12月07日 11:58")} << 0;
    QTest::newRow("name with undecodable bytes")
        << page({entry1(QStringLiteral("12月07日 11:58"), QStringLiteral("5"),
                        QStringLiteral("\uFFFD\uFFFD太"))})
        << 0 << QStringList{QStringLiteral("\uFFFD\uFFFD太|5|2026年12月07日 11:58")} << 0;
    QTest::newRow("time without a tag before it runs from the top")
        << QStringLiteral("12月07日 11:58") + kMethod1Marker + QStringLiteral("9\">名</a>") << 0
        << QStringList{QStringLiteral("名|9|2026年12月07日 11:58")} << 0;

    QTest::newRow("marker at the very end")
        << QStringLiteral("<b>12月07日 11:58") + kMethod1Marker << 0 << QStringList() << 5;
    QTest::newRow("no closing quote after the id")
        << QStringLiteral("<b>12月07日 11:58") + kMethod1Marker + QStringLiteral("123>名前</a>")
        << 0 << QStringList() << 5;
    QTest::newRow("no < after the name")
        << QStringLiteral("<b>12月07日 11:58") + kMethod1Marker + QStringLiteral("123\">名前") << 0
        << QStringList() << 5;
    QTest::newRow("no > after the id")
        << QStringLiteral("<b>12月07日 11:58") + kMethod1Marker + QStringLiteral("123\" 名前") << 0
        << QStringList() << 5;
    QTest::newRow("id of letters") << page({entry1(QStringLiteral("12月07日 11:58"),
                                                   QStringLiteral("abc"), QStringLiteral("x"))})
                                   << 0 << QStringList() << 13;
    QTest::newRow("id beyond 32 bits")
        << page({entry1(QStringLiteral("12月07日 11:58"), QStringLiteral("4294967296"),
                        QStringLiteral("x"))})
        << 0 << QStringList() << 6;
    QTest::newRow("id one past the largest")
        << page({entry1(QStringLiteral("12月07日 11:58"), QStringLiteral("2147483648"),
                        QStringLiteral("x"))})
        << 0 << QStringList() << 6;
    QTest::newRow("time that does not convert")
        << page({entry1(QStringLiteral("昨日"), QStringLiteral("1"), QStringLiteral("x"))}) << 0
        << QStringList() << 13;
    QTest::newRow("time holding < does not convert either")
        << page({entry1(QStringLiteral("12月07日 <b 11:58"), QStringLiteral("1"),
                        QStringLiteral("x"))})
        << 0 << QStringList() << 13;
    QTest::newRow("entries before a failure are handed on")
        << page({ok, entry1(QStringLiteral("12月07日 11:00"), QStringLiteral("1x"),
                            QStringLiteral("y"))})
        << 0 << QStringList{okEntry} << 13;
}

void FootprintParserTest::pagesYieldEntriesOrFail() {
    QFETCH(QString, text);
    QFETCH(int, method);
    QFETCH(QStringList, entries);
    QFETCH(int, error);
    const Outcome outcome = parse(text, method, kNoon);
    QCOMPARE(outcome.entries, entries);
    QCOMPARE(outcome.error, error);
}

void FootprintParserTest::nameIsTheTextOfTheLink_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>(
        "link");  // what stands between the link's start tag and the next entry
    QTest::addColumn<QStringList>("names");  // of this entry and of the plain one after it

    const QString after = QStringLiteral("次の人");
    for (int method : {0, 1}) {
        const QByteArray m = method == 0 ? "server markup: " : "browser markup: ";
        const auto row = [&](const char* name, const QString& link, const QString& first) {
            QTest::newRow((m + name).constData()) << method << link << QStringList{first, after};
        };
        const QString a = method == 0 ? QStringLiteral("a") : QStringLiteral("A");
        const QString b = method == 0 ? QStringLiteral("b") : QStringLiteral("B");
        const QString end = QStringLiteral("</") + a + u'>';
        row("plain", QStringLiteral("山田太郎") + end, QStringLiteral("山田太郎"));
        row("empty link", end, QString());
        row("name in bold",
            u'<' + b + u'>' + QStringLiteral("太字") + QStringLiteral("</") + b + u'>' + end,
            QStringLiteral("太字"));
        row("icon before the name, blanks kept", QStringLiteral(" <IMG src=i.gif> 花子 ") + end,
            QStringLiteral("  花子 "));
        row("character references kept", QStringLiteral("ゆう&amp;まい&#9829;") + end,
            QStringLiteral("ゆう&amp;まい&#9829;"));
        row("abbreviation inside the link", QStringLiteral("<abbr title=x>たろ</abbr>う") + end,
            QStringLiteral("たろう"));
        row("end tag in the other case", QStringLiteral("名前</A >"), QStringLiteral("名前"));
        row("link not closed before the next entry ends at its next tag",
            QStringLiteral("閉じない<br>"), QStringLiteral("閉じない"));
    }
}

void FootprintParserTest::nameIsTheTextOfTheLink() {
    QFETCH(int, method);
    QFETCH(QString, link);
    QFETCH(QStringList, names);
    const auto entry = method == 0 ? entry1 : entry2;
    QString first = entry(QStringLiteral("12月07日 11:58"), QStringLiteral("1"), QString());
    const QString linkEnd = method == 0 ? QStringLiteral("</a>") : QStringLiteral("</A>");
    first.replace(first.indexOf(linkEnd), linkEnd.size(), link);
    const QString text =
        page({first, entry(QStringLiteral("12月07日 11:00"), QStringLiteral("2"), names[1])});
    const Outcome outcome = parse(text, method, kNoon);
    QCOMPARE(outcome.error, 0);
    QCOMPARE(outcome.entries, (QStringList{names[0] + QStringLiteral("|1|2026年12月07日 11:58"),
                                           names[1] + QStringLiteral("|2|2026年12月07日 11:00")}));
}

void FootprintParserTest::yearComesFromTheClock_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("visit");

    QTest::newRow("earlier today")
        << kNoon << QStringLiteral("12月07日 11:59") << QStringLiteral("2026年12月07日 11:59");
    QTest::newRow("this very moment keeps the year")
        << kNoon << QStringLiteral("12月07日 12:00") << QStringLiteral("2026年12月07日 12:00");
    // The service's clock may run ahead of ours (a computer on UTC is nine hours behind it):
    // only an entry more than a day ahead belongs to the year before.
    QTest::newRow("a minute ahead keeps the year")
        << kNoon << QStringLiteral("12月07日 12:01") << QStringLiteral("2026年12月07日 12:01");
    QTest::newRow("23 hours ahead keeps the year")
        << kNoon << QStringLiteral("12月08日 11:00") << QStringLiteral("2026年12月08日 11:00");
    QTest::newRow("exactly a day ahead keeps the year")
        << kNoon << QStringLiteral("12月08日 12:00") << QStringLiteral("2026年12月08日 12:00");
    QTest::newRow("25 hours ahead is last year")
        << kNoon << QStringLiteral("12月08日 13:00") << QStringLiteral("2025年12月08日 13:00");
    QTest::newRow("new year's eve read just after midnight")
        << QDateTime(QDate(2027, 1, 1), QTime(0, 10)) << QStringLiteral("12月31日 23:50")
        << QStringLiteral("2026年12月31日 23:50");
    QTest::newRow("seconds of the clock count")
        << QDateTime(QDate(2026, 12, 7), QTime(11, 59, 59)) << QStringLiteral("12月08日 12:00")
        << QStringLiteral("2025年12月08日 12:00");
}

void FootprintParserTest::yearComesFromTheClock() {
    QFETCH(QDateTime, now);
    QFETCH(QString, time);
    QFETCH(QString, visit);
    const Outcome outcome =
        parse(page({entry1(time, QStringLiteral("1"), QStringLiteral("a"))}), 0, now);
    QCOMPARE(outcome.error, 0);
    QCOMPARE(outcome.entries, QStringList{QStringLiteral("a|1|") + visit});
}

void FootprintParserTest::markerFollowsTheMethodChosenBeforeEachEntry() {
    const QString text =
        page({entry1(QStringLiteral("12月07日 10:00"), QStringLiteral("1"), QStringLiteral("a")),
              entry2(QStringLiteral("12月07日 09:00"), QStringLiteral("2"), QStringLiteral("b")),
              entry1(QStringLiteral("12月07日 08:00"), QStringLiteral("3"), QStringLiteral("c"))});
    FakeClock clock;
    clock.processRealEvents = false;
    clock.wall = kNoon;
    int asked = 0;
    QStringList ids;
    ParseFootprintPage(
        text, [&] { return asked++ == 0 ? RetrievalMethod::Download : RetrievalMethod::Browser; },
        clock, [&](const FootprintEntry& e) { ids << QString::number(e.Id); });
    // Method 1 finds the first entry; method 2 from then on skips the third.
    QCOMPARE(ids, (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    QCOMPARE(asked, 3);
}

void FootprintParserTest::markersAreExactlyAsTheServiceAndTheBrowserWriteThem() {
    QCOMPARE(kMethod1Marker.size(), 53);
    QCOMPARE(kMethod2Marker.size(), 52);
    QVERIFY(kMethod2Marker.endsWith(QStringLiteral("=\"\"show_friend.pl?id=")));
}

void FootprintParserTest::tenMegabytePageYieldsEveryEntry() {
    QString text;
    text.reserve(10 * 1024 * 1024 + 1024);
    int written = 0;
    while (text.size() < 10 * 1024 * 1024) {
        text += entry1(QStringLiteral("12月07日 11:58"), QString::number(written + 1),
                       QStringLiteral("訪問者") + QString::number(written));
        ++written;
    }
    FakeClock clock;
    clock.processRealEvents = false;
    clock.wall = kNoon;
    int seen = 0;
    qint32 lastId = 0;
    ParseFootprintPage(
        text, [] { return RetrievalMethod::Download; }, clock,
        [&](const FootprintEntry& e) {
            ++seen;
            lastId = e.Id;
        });
    QCOMPARE(seen, written);
    QCOMPARE(lastId, written);
}

QTEST_GUILESS_MAIN(FootprintParserTest)
#include "footprint_parser_test.moc"
