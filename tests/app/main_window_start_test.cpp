// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include <QLineEdit>
#include "app/check_box.h"
#include "app/ranking_view.h"
#include "platform/text_codec.h"
#include "tests/app/main_window_fixture.h"

namespace {

QByteArray cp932Lines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += EncodeCp932(line) + "\r\n";
    }
    return bytes;
}

const QStringList kDataRows = {
    QStringLiteral("山田花子\t1203344\t9\t2026年12月06日 22:19\t同期"),
    QStringLiteral("髙橋 誠\t874512\t7\t2026年12月06日 08:02\t"),
    QStringLiteral("ｶﾜｸﾞﾁ\t5590213\t7\t2026年12月04日 12:30\t"),
};
const QStringList kCsvRows = {
    QStringLiteral("佐藤,1,1,,"),
    QStringLiteral("鈴木,2,5,2026年12月01日 10:00,"),
};

QStringList listNames(MainWindow& window) {
    QStringList names;
    for (int row = 0; row < window.book().ranking().rowCount(); ++row) {
        names << window.book().ranking().text(row, RankingModel::NameColumn);
    }
    return names;
}

}  // namespace

class MainWindowStartTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void startupLoadsTheDataFileOrElseTheCsvFile_data();
    void startupLoadsTheDataFileOrElseTheCsvFile();
    void sampleDataLoadsWholeAndRanked();
    void startupSetsCaptionBeforeTheTrayIcon();
    void startupShowsTheWindowNormalWithTheTrayHostHidden();
    void largeTablesLoadBehindTheWindowAndShowTheirProgress_data();
    void largeTablesLoadBehindTheWindowAndShowTheirProgress();
    void startupRunIsScheduledOnlyWhenBootGetIsTicked_data();
    void startupRunIsScheduledOnlyWhenBootGetIsTicked();
    void startupStartsFromAFreshState();
    void unreadableFileIsToldAndNeverReplaced_data();
    void unreadableFileIsToldAndNeverReplaced();
};

void MainWindowStartTest::startupLoadsTheDataFileOrElseTheCsvFile_data() {
    QTest::addColumn<bool>("dataFile");
    QTest::addColumn<bool>("dataIsFolder");
    QTest::addColumn<bool>("csvFile");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("panel2");

    const QStringList dataNames = {QStringLiteral("山田花子"), QStringLiteral("髙橋 誠"),
                                   QStringLiteral("ｶﾜｸﾞﾁ")};
    const QStringList csvNames = {QStringLiteral("佐藤"), QStringLiteral("鈴木")};
    QTest::newRow("data file only")
        << true << false << false << dataNames << QStringLiteral("3件みつかりました");
    QTest::newRow("both: only the data file")
        << true << false << true << dataNames << QStringLiteral("3件みつかりました");
    QTest::newRow("csv file only")
        << false << false << true << csvNames << QStringLiteral("2件みつかりました");
    QTest::newRow("neither") << false << false << false << QStringList()
                             << QStringLiteral("0件みつかりました");
    QTest::newRow("a folder named like the data file")
        << false << true << true << csvNames << QStringLiteral("2件みつかりました");
}

void MainWindowStartTest::startupLoadsTheDataFileOrElseTheCsvFile() {
    QFETCH(bool, dataFile);
    QFETCH(bool, dataIsFolder);
    QFETCH(bool, csvFile);
    QFETCH(QStringList, names);
    QFETCH(QString, panel2);

    MainWindowFixture f;
    if (dataFile) {
        writeBytes(f.path(QStringLiteral("zodadud_data.dat")), cp932Lines(kDataRows));
    }
    if (dataIsFolder) {
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("zodadud_data.dat")));
    }
    if (csvFile) {
        writeBytes(f.path(QStringLiteral("output.csv")), cp932Lines(kCsvRows));
    }
    f.window->start();

    QCOMPARE(listNames(*f.window), names);
    QCOMPARE(f.window->panelText(2), panel2);
    QCOMPARE(f.window->panelText(1), QStringLiteral("Ready"));
    QCOMPARE(f.platform.dialogs->messages.size(), size_t(0));
    QVERIFY(control<RankingView>(f.window, "ListView1")->isEnabled());
    QCOMPARE(control<RankingView>(f.window, "ListView1")->model()->rowCount(), int(names.size()));
}

void MainWindowStartTest::sampleDataLoadsWholeAndRanked() {
    // The file the demo folder starts with: every row loads, exactly as it stands.
    MainWindowFixture f;
    QFile sample(QStringLiteral(KV_TEST_DATA "/sample_zodadud_data.dat"));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QByteArray bytes = sample.readAll();
    writeBytes(f.path(QStringLiteral("zodadud_data.dat")), bytes);
    f.window->start();

    QCOMPARE(f.window->book().ranking().rowCount(), 12);
    QCOMPARE(f.window->panelText(2), QStringLiteral("12件みつかりました"));
    QCOMPARE(f.window->book().ranking().text(1, RankingModel::NameColumn),
             QStringLiteral("髙橋 誠"));
    // Equal counts share a rank.
    QCOMPARE(f.window->book().ranking().text(2, RankingModel::RankColumn), QStringLiteral("    2"));
    QCOMPARE(f.window->book().ranking().text(3, RankingModel::RankColumn), QStringLiteral("    3"));

    // Saved back unchanged, the file keeps its bytes.
    f.window->book().SaveDataFile(f.window->book().dataPath(), false);
    QFile saved(f.window->book().dataPath());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), bytes);
    QCOMPARE(f.platform.dialogs->messages.size(), size_t(0));
}

void MainWindowStartTest::startupSetsCaptionBeforeTheTrayIcon() {
    MainWindowFixture f;
    f.window->start();
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Kestrelviewβ(0.3.3)"));

    const FakeTrayIcon& tray = *f.platform.trayIcon;
    QCOMPARE(tray.showCount, 1);
    QVERIFY(tray.shown);
    QCOMPARE(tray.tip, QStringLiteral("Kestrelviewβ(0.3.3)"));
    QVERIFY(!tray.icon.isNull());
    QCOMPARE(tray.icon.cacheKey(), f.window->windowIcon().cacheKey());
}

void MainWindowStartTest::startupShowsTheWindowNormalWithTheTrayHostHidden() {
    MainWindowFixture f;
    f.window->start();
    QVERIFY(f.window->isVisible());
    QCOMPARE(f.window->windowState(), Qt::WindowNoState);
    QVERIFY(f.window->trayHost());
    QVERIFY(!f.window->trayHost()->isVisible());
    QCOMPARE(f.window->trayHost()->windowTitle(), QStringLiteral("起動中..."));
    QVERIFY(f.platform.clock->doEventsCalls >= 1);
}

void MainWindowStartTest::largeTablesLoadBehindTheWindowAndShowTheirProgress_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("bar");
    // Each row takes 2 ms of the clock.
    QTest::newRow("short load") << false << 400 << false;
    QTest::newRow("long load") << false << 1000 << true;
    QTest::newRow("short save") << true << 400 << false;
    QTest::newRow("long save") << true << 1000 << true;
}

void MainWindowStartTest::largeTablesLoadBehindTheWindowAndShowTheirProgress() {
    QFETCH(bool, save);
    QFETCH(int, rows);
    QFETCH(bool, bar);
    MainWindowFixture f;
    QStringList lines;
    for (int i = 0; i < rows; ++i) {
        lines << QStringLiteral("v%1\t%1\t1\t2026年12月06日 22:19\t").arg(i + 1);
    }
    writeBytes(f.path(QStringLiteral("zodadud_data.dat")), cp932Lines(lines));

    struct Moment {
        quint32 ms;
        bool windowShown;
        int listRows;
        QString bar;  // empty while the bar is hidden
    };
    std::vector<Moment> moments;
    auto watch = [&] {
        if (f.window->lifecycle().filesBusy()) {
            moments.push_back({f.platform.clock->counter, f.window->isVisible(),
                               f.window->book().ranking().rowCount(),
                               control<QProgressBar>(f.window, "FileProgress")->isVisible()
                                   ? control<QProgressBar>(f.window, "FileProgress")->text()
                                   : QString()});
        }
    };
    if (save) {
        f.window->start();
        f.platform.clock->onProcessEvents = watch;
        f.window->book().SaveDataFile(f.window->book().dataPath(), false);
    } else {
        f.platform.clock->onProcessEvents = watch;
        f.window->start();
    }

    QVERIFY(moments.size() > size_t(rows));
    const quint32 start = moments.front().ms;
    const auto firstBar = std::find_if(moments.begin(), moments.end(),
                                       [](const Moment& m) { return !m.bar.isEmpty(); });
    QCOMPARE(firstBar != moments.end(), bar);
    if (bar) {
        // The bar waits for the first second and counts the rows done out of all of them.
        QVERIFY(firstBar->ms - start > 1000);
        const QRegularExpressionMatch count =
            QRegularExpression(QStringLiteral("^(\\d+) / %1$").arg(rows)).match(firstBar->bar);
        QVERIFY2(count.hasMatch(), qPrintable(firstBar->bar));
        QVERIFY(std::abs(count.captured(1).toInt() - 500) < 10);
        QCOMPARE(control<QProgressBar>(f.window, "FileProgress")->text(),
                 QStringLiteral("%1 / %1").arg(rows));
    }
    // The window is up while the table loads, and the list fills when it has loaded.
    for (const Moment& m : moments) {
        QVERIFY(m.windowShown);
        QCOMPARE(m.listRows, save ? rows : 0);
    }
    QVERIFY(!control<QProgressBar>(f.window, "FileProgress")->isVisible());
    QCOMPARE(f.window->book().ranking().rowCount(), rows);
}

void MainWindowStartTest::startupRunIsScheduledOnlyWhenBootGetIsTicked_data() {
    QTest::addColumn<int>("bootGet");
    QTest::addColumn<bool>("scheduled");
    QTest::newRow("unticked") << 0 << false;
    QTest::newRow("ticked") << 1 << true;
    QTest::newRow("dimmed") << 2 << false;
}

void MainWindowStartTest::startupRunIsScheduledOnlyWhenBootGetIsTicked() {
    QFETCH(int, bootGet);
    QFETCH(bool, scheduled);
    MainWindowFixture f;
    writeBytes(f.path(QStringLiteral("setting.ini")),
               "[Setting]\r\nBootGet=" + QByteArray::number(bootGet) + "\r\n");
    f.window->start();
    QCOMPARE(control<CheckBox>(f.window, "BootGetChk")->Value(), Tick(bootGet));
    QCOMPARE(control<QTimer>(f.window, "Timer2")->isActive(), scheduled);
}

void MainWindowStartTest::startupStartsFromAFreshState() {
    MainWindowFixture f;
    control<QLineEdit>(f.window, "Text1")->setText(QStringLiteral("5"));
    for (int minute = 0; minute < 3; ++minute) {
        f.window->collection().schedule().minutePassed();
    }
    QCOMPARE(f.window->collection().schedule().elapsedMinutes(), 3);
    f.window->book().table().SetVisitor(QStringLiteral("残り"), QStringLiteral("99"),
                                        QStringLiteral("3"), QString(), QString(), 0);
    f.window->start();

    QCOMPARE(f.window->collection().schedule().waitTime(), 30);
    QCOMPARE(f.window->collection().schedule().elapsedMinutes(), 0);
    QVERIFY(!f.window->lifecycle().collecting());
    QVERIFY(!f.window->lifecycle().endPending());
    QCOMPARE(f.window->book().table().RowCount, 0);
    QCOMPARE(f.window->book().table().slotCount(), 256);
    QCOMPARE(f.window->book().ranking().rowCount(), 0);
    QCOMPARE(QDir::cleanPath(f.window->book().dataPath()),
             QDir(f.dir.path()).filePath("zodadud_data.dat"));
    QCOMPARE(QDir::cleanPath(f.window->book().csvPath()),
             QDir(f.dir.path()).filePath("output.csv"));
}

void MainWindowStartTest::unreadableFileIsToldAndNeverReplaced_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("data file") << "zodadud_data.dat" << kDataRows;
    QTest::newRow("csv file, no data file") << "output.csv" << kCsvRows;
}

void MainWindowStartTest::unreadableFileIsToldAndNeverReplaced() {
    QFETCH(QString, fileName);
    QFETCH(QStringList, rows);
    MainWindowFixture f;
    const QString path = f.path(fileName);
    const QByteArray bytes = cp932Lines(rows);
    writeBytes(path, bytes);
    f.platform.files->failOpen = [&](const QString& opened) {
        return QFileInfo(opened) == QFileInfo(path);
    };
    f.window->start();

    const auto& messages = f.platform.dialogs->messages;
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(messages[0].prompt,
             QStringLiteral("データファイル「") + QDir::toNativeSeparators(path) +
                 QStringLiteral("」を読み込めませんでした。(Permission denied)"));
    QCOMPARE(f.window->book().ranking().rowCount(), 0);

    // A page collected later: its rows go to the fallback file, the unread file keeps its own.
    f.window->book().table().SetVisitor(QStringLiteral("新顔"), QStringLiteral("42"),
                                        QStringLiteral("1"), QString(), QString(), 0);
    f.window->book().RefreshRanking();
    const bool csv = fileName == u"output.csv";
    if (csv) {
        f.window->book().SaveCsvFile(f.window->book().csvPath(), false);
    } else {
        f.window->book().SaveDataFile(f.window->book().dataPath(), false);
    }
    QCOMPARE(readBytes(path), bytes);
    QCOMPARE(readBytes(f.path(QStringLiteral("setting.bak"))),
             EncodeCp932(csv ? QStringLiteral("新顔,42,1,,\r\n")
                             : QStringLiteral("新顔\t42\t1\t\t\r\n")));
    QCOMPARE(messages.size(), size_t(2));
    QCOMPARE(messages[1].title, QStringLiteral("書き込みエラー"));
    QVERIFY(messages[1].prompt.contains(QDir::toNativeSeparators(path)));
    const QByteArray log = readBytes(f.path(QStringLiteral("kestrelview.log")));
    QVERIFY(log.contains((QStringLiteral("保存失敗 ") + QDir::toNativeSeparators(path)).toUtf8()));
    QVERIFY(log.contains("setting.bak"));
}

QTEST_MAIN(MainWindowStartTest)
#include "main_window_start_test.moc"
