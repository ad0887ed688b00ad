// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The standard buttons speak Japanese, as the rest of the program does, whatever the locale.
#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

#include "app/translations.h"

class TranslationsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void standardButtonsAreJapanese_data();
    void standardButtonsAreJapanese();
};

void TranslationsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY2(InstallQtJapanese(*QCoreApplication::instance()),
             "Qt's Japanese translation (qt6-translations-l10n) is not installed");
}

void TranslationsTest::standardButtonsAreJapanese_data() {
    QTest::addColumn<QDialogButtonBox::StandardButton>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("OK") << QDialogButtonBox::Ok << QStringLiteral("OK");
    QTest::newRow("Cancel") << QDialogButtonBox::Cancel << QStringLiteral("キャンセル");
}

void TranslationsTest::standardButtonsAreJapanese() {
    QFETCH(QDialogButtonBox::StandardButton, button);
    QFETCH(QString, text);
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    // The mnemonic Qt may add is no part of what the user reads.
    QCOMPARE(box.button(button)->text().remove(u'&'), text);
}

QTEST_MAIN(TranslationsTest)
#include "translations_test.moc"
