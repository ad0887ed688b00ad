// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QTest>

#include "platform/conversions.h"
#include "platform/runtime_error.h"

class ConversionsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void wholeNumbers_data();
    void wholeNumbers();
    void decimalNumbers_data();
    void decimalNumbers();
    void roundingGoesToTheEvenNeighbour_data();
    void roundingGoesToTheEvenNeighbour();
};

void ConversionsTest::wholeNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");  // 0: converts
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << "12345" << 0 << 12345;
    QTest::newRow("leading zeros") << "007" << 0 << 7;
    QTest::newRow("blanks around") << " \t42 " << 0 << 42;
    QTest::newRow("negative") << "-15" << 0 << -15;
    QTest::newRow("plus") << "+15" << 0 << 15;
    QTest::newRow("largest") << "2147483647" << 0 << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << 0 << int(-2147483648LL);
    QTest::newRow("one beyond") << "2147483648" << 6 << 0;
    QTest::newRow("far beyond") << "99999999999999999999999" << 6 << 0;
    QTest::newRow("empty") << "" << 13 << 0;
    QTest::newRow("blank only") << "  " << 13 << 0;
    QTest::newRow("sign only") << "-" << 13 << 0;
    QTest::newRow("letters") << "abc" << 13 << 0;
    QTest::newRow("digits then letters") << "12a" << 13 << 0;
    QTest::newRow("fraction") << "1.5" << 13 << 0;
    QTest::newRow("full-width digits") << QStringLiteral("１２") << 13 << 0;
    QTest::newRow("inner blank") << "1 2" << 13 << 0;
}

void ConversionsTest::wholeNumbers() {
    QFETCH(QString, text);
    QFETCH(int, error);
    QFETCH(int, value);
    try {
        const qint32 result = ToInt32(text);
        QCOMPARE(error, 0);
        QCOMPARE(result, value);
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), error);
    }
}

void ConversionsTest::decimalNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << "30" << true << 30.0;
    QTest::newRow("fraction") << "2.5" << true << 2.5;
    QTest::newRow("point first") << ".5" << true << 0.5;
    QTest::newRow("point last") << "7." << true << 7.0;
    QTest::newRow("signed with blanks") << " -3.25 " << true << -3.25;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("point only") << "." << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("exponent") << "1e2" << false << 0.0;
    QTest::newRow("thousands separator") << "1,000" << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("hex") << "0x10" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
}

void ConversionsTest::decimalNumbers() {
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const std::optional<double> result = ParseDecimal(text);
    QCOMPARE(result.has_value(), isNumber);
    if (isNumber) {
        QCOMPARE(*result, value);
    }
}

void ConversionsTest::roundingGoesToTheEvenNeighbour_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("inRange");
    QTest::addColumn<qint64>("rounded");
    QTest::newRow("2.5 down") << 2.5 << true << qint64(2);
    QTest::newRow("3.5 up") << 3.5 << true << qint64(4);
    QTest::newRow("-2.5 toward zero") << -2.5 << true << qint64(-2);
    QTest::newRow("2.6 up") << 2.6 << true << qint64(3);
    QTest::newRow("top of 16 bits") << 32767.4 << true << qint64(32767);
    QTest::newRow("past 16 bits after rounding") << 32767.5 << false << qint64(0);
    QTest::newRow("below 16 bits") << -32768.6 << false << qint64(0);
}

void ConversionsTest::roundingGoesToTheEvenNeighbour() {
    QFETCH(double, value);
    QFETCH(bool, inRange);
    QFETCH(qint64, rounded);
    const std::optional<qint64> result = RoundHalfEven(value, -32768, 32767);
    QCOMPARE(result.has_value(), inRange);
    if (inRange) {
        QCOMPARE(*result, rounded);
    }
}

QTEST_GUILESS_MAIN(ConversionsTest)
#include "conversions_test.moc"
