// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QRegularExpression>
#include <QTest>
#include <functional>

#include "platform/runtime_error.h"
#include "visitors/visit_time.h"

namespace {

// The reading written as a regular expression: slow, but plainly the forms the pages and files
// hold. The program's own reading must give the same result on every text.
QString referenceReading(const QString& text) {
    QString t = text;
    t.replace(u'年', u'/');
    t.replace(u'月', u'/');
    t.remove(u'日');
    static const QRegularExpression form(QStringLiteral(
        R"(^\s*(\d{1,4})/(\d{1,2})/(\d{1,2})\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*$)"));
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch()) {
        return QStringLiteral("type mismatch");
    }
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(),
                     m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0);
    if (!date.isValid() || !time.isValid() || date.year() < 100) {
        return QStringLiteral("type mismatch");
    }
    return QDateTime(date, time, Qt::UTC).toString(Qt::ISODate);
}

QString programReading(const QString& text) {
    try {
        const QDateTime read = ParseVisitTime(text);
        return read.timeSpec() == Qt::UTC ? read.toString(Qt::ISODate) : QStringLiteral("not UTC");
    } catch (const RuntimeError& e) {
        return e.number() == 13 ? QStringLiteral("type mismatch") : QStringLiteral("failure");
    }
}

// A visit time from its fields, in the footprint page's form ("年", "月", "日") or the clock's
// (slashes), with `gap` between date and time.
QString visitTime(bool marks, const QString& y, const QString& mo, const QString& d,
                  const QString& gap, const QString& h, const QString& mi, const QString& s) {
    const QString date = marks ? y + u'年' + mo + u'月' + d + u'日' : y + u'/' + mo + u'/' + d;
    return date + gap + h + u':' + mi + (s.isNull() ? QString() : u':' + s);
}

const QStringList kSamples = {
    QStringLiteral("2009年01月07日 22:19"), QStringLiteral("2026年12月7日 8:05:09"),
    QStringLiteral("2026/12/07 09:00:01"), QStringLiteral("2024年2月29日23:59")};

}  // namespace

class VisitTimeTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void readsTheFormsThePagesAndFilesHold_data();
    void readsTheFormsThePagesAndFilesHold();
    void anythingElseIsATypeMismatch_data();
    void anythingElseIsATypeMismatch();
    void ordersVisitTimes();
    void readingAgreesWithTheRegularExpression_data();
    void readingAgreesWithTheRegularExpression();
};

void VisitTimeTest::readsTheFormsThePagesAndFilesHold_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");
    const auto at = [](int y, int mo, int d, int h, int mi, int s = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
    };
    QTest::newRow("footprint form, no leading zeros")
        << QStringLiteral("2009年1月7日 22:19") << at(2009, 1, 7, 22, 19);
    QTest::newRow("footprint form, leading zeros")
        << QStringLiteral("2009年01月07日 08:05") << at(2009, 1, 7, 8, 5);
    QTest::newRow("with seconds") << QStringLiteral("2026年12月07日 23:59:58")
                                  << at(2026, 12, 7, 23, 59, 58);
    QTest::newRow("slashes, as the clock is written")
        << QStringLiteral("2026/12/07 09:00:01") << at(2026, 12, 7, 9, 0, 1);
    QTest::newRow("single-digit hour")
        << QStringLiteral("2026年3月1日 7:05") << at(2026, 3, 1, 7, 5);
    QTest::newRow("no blank before the time")
        << QStringLiteral("2026年03月01日07:05") << at(2026, 3, 1, 7, 5);
    QTest::newRow("blanks around")
        << QStringLiteral(" 2026年3月1日  7:05 ") << at(2026, 3, 1, 7, 5);
    QTest::newRow("leap day") << QStringLiteral("2024年02月29日 12:00") << at(2024, 2, 29, 12, 0);
    QTest::newRow("hour skipped by a clock change")
        << QStringLiteral("2026年03月29日 02:30") << at(2026, 3, 29, 2, 30);
}

void VisitTimeTest::readsTheFormsThePagesAndFilesHold() {
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    QCOMPARE(ParseVisitTime(text), expected);
}

void VisitTimeTest::anythingElseIsATypeMismatch_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("no year") << QStringLiteral("01月07日 22:19");
    QTest::newRow("date only") << QStringLiteral("2009年01月07日");
    QTest::newRow("no minutes") << QStringLiteral("2009年01月07日 22");
    QTest::newRow("month 13") << QStringLiteral("2009年13月07日 22:19");
    QTest::newRow("31 February") << QStringLiteral("2009年02月31日 22:19");
    QTest::newRow("hour 24") << QStringLiteral("2009年01月07日 24:00");
    QTest::newRow("minute 60") << QStringLiteral("2009年01月07日 22:60");
    QTest::newRow("markup inside") << QStringLiteral("2009年01月07日 <b>22:19");
    QTest::newRow("full-width digits") << QStringLiteral("２００９年１月７日 22:19");
    QTest::newRow("text after the time") << QStringLiteral("2009年01月07日 22:19 pm");
    QTest::newRow("letters") << QStringLiteral("abc");
}

void VisitTimeTest::anythingElseIsATypeMismatch() {
    QFETCH(QString, text);
    try {
        ParseVisitTime(text);
        QFAIL("converted");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), 13);
        QCOMPARE(e.description(), QStringLiteral("型が一致しません。"));
    }
}

void VisitTimeTest::ordersVisitTimes() {
    QVERIFY(ParseVisitTime(QStringLiteral("2008年12月31日 23:50")) <
            ParseVisitTime(QStringLiteral("2009年1月1日 0:10")));
    QCOMPARE(ParseVisitTime(QStringLiteral("2009年01月07日 22:19")),
             ParseVisitTime(QStringLiteral("2009/1/7 22:19:00")));
}

void VisitTimeTest::readingAgreesWithTheRegularExpression_data() {
    QTest::addColumn<QStringList>("texts");
    const QStringList years = {"0",   "1",    "99",   "100",  "0100",
                               "999", "1000", "2009", "9999", "10000"};
    const QStringList months = {"0", "00", "1", "01", "9", "12", "13", "012"};
    const QStringList days = {"0", "1", "01", "9", "28", "29", "30", "31", "32", "001"};
    const QStringList hours = {"0", "00", "7", "07", "23", "24", "99", "000"};
    const QStringList minutes = {"0", "00", "5", "59", "60", "000"};
    const QStringList seconds = {QString(), "0", "00", "59", "60", "000", ""};
    const QStringList gaps = {" ", "", "  ", "\t"};

    QStringList fields;
    for (const bool marks : {true, false}) {
        for (const QString& gap : gaps) {
            const auto row = [&](const QString& y, const QString& mo, const QString& d,
                                 const QString& h, const QString& mi, const QString& s) {
                fields << visitTime(marks, y, mo, d, gap, h, mi, s);
            };
            for (const QString& y : years)
                row(y, "12", "07", "22", "19", QString());
            for (const QString& mo : months)
                row("2026", mo, "07", "22", "19", QString());
            for (const QString& mi : minutes)
                row("2026", "12", "07", "22", mi, QString());
            for (const QString& s : seconds)
                row("2026", "12", "07", "22", "19", s);
            // Day and hours meet where no blank parts them.
            for (const QString& d : days) {
                for (const QString& h : hours) {
                    row("2026", "1", d, h, "19", QString());
                }
            }
        }
    }
    QTest::newRow("every field at and past its bounds, both forms") << fields;

    QStringList leap;
    for (const char* y : {"1500", "1900", "2000", "2023", "2024", "2100", "2400"}) {
        for (const char* d : {"28", "29", "30"}) {
            leap << visitTime(true, y, "2", d, " ", "12", "00", QString());
        }
    }
    QTest::newRow("leap days") << leap;

    const QList<QChar> blanks = {u' ',      u'\t',     u'\n',     u'\v',     u'\f',    u'\r',
                                 u'\u3000', u'\u00A0', u'\u0085', u'\u2003', u'\u200B'};
    const QStringList extras = {QStringLiteral("日"), QStringLiteral("年"), QStringLiteral("月"),
                                QStringLiteral("/"),  QStringLiteral(":"),  QStringLiteral("x")};
    QStringList inserted;
    QStringList truncated;
    QStringList digits;
    for (const QString& sample : kSamples) {
        for (qsizetype at = 0; at <= sample.size(); ++at) {
            for (const QChar blank : blanks) {
                inserted << QString(sample).insert(at, blank);
            }
            for (const QString& extra : extras) {
                inserted << QString(sample).insert(at, extra);
            }
            truncated << sample.left(at) << QString(sample).remove(at, 1);
            if (at < sample.size() && sample[at].isDigit()) {
                const char16_t digit = sample[at].unicode() - u'0';
                for (const char16_t zero : {u'\uFF10', u'\u0660', u'\u0966'}) {
                    digits << QString(sample).replace(at, 1, QChar(char16_t(zero + digit)));
                }
            }
        }
    }
    QTest::newRow("blanks, marks and letters anywhere") << inserted;
    QTest::newRow("cut short or missing a character") << truncated;
    QTest::newRow("full-width and other digits") << digits;
}

void VisitTimeTest::readingAgreesWithTheRegularExpression() {
    QFETCH(QStringList, texts);
    QStringList disagreements;
    for (const QString& text : texts) {
        const QString expected = referenceReading(text);
        const QString read = programReading(text);
        if (read != expected) {
            disagreements << text + QStringLiteral(": ") + read + QStringLiteral(" instead of ") +
                                 expected;
        }
    }
    QCOMPARE(disagreements, QStringList());
}

QTEST_GUILESS_MAIN(VisitTimeTest)
#include "visit_time_test.moc"
