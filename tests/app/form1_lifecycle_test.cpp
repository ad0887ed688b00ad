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

#include "app/check_box.h"
#include "app/form3.h"
#include "app/ranking_view.h"
#include "platform/text_codec.h"
#include "tests/app/form1_fixture.h"

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

QStringList listNames(Form1& form) {
    QStringList names;
    for (int row = 0; row < form.ranking().rowCount(); ++row) {
        names << form.ranking().text(row, RankingModel::NameColumn);
    }
    return names;
}

}  // namespace

class Form1LifecycleTest : public QObject {
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

void Form1LifecycleTest::startupLoadsTheDataFileOrElseTheCsvFile_data() {
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

void Form1LifecycleTest::startupLoadsTheDataFileOrElseTheCsvFile() {
    QFETCH(bool, dataFile);
    QFETCH(bool, dataIsFolder);
    QFETCH(bool, csvFile);
    QFETCH(QStringList, names);
    QFETCH(QString, panel2);

    Form1Fixture f;
    if (dataFile) {
        writeBytes(f.path(QStringLiteral("zodadud_data.dat")), cp932Lines(kDataRows));
    }
    if (dataIsFolder) {
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("zodadud_data.dat")));
    }
    if (csvFile) {
        writeBytes(f.path(QStringLiteral("output.csv")), cp932Lines(kCsvRows));
    }
    f.form->Form_Load();

    QCOMPARE(listNames(*f.form), names);
    QCOMPARE(f.form->PanelText(2), panel2);
    QCOMPARE(f.form->PanelText(1), QStringLiteral("Ready"));
    QCOMPARE(f.platform.dialogs->messages.size(), size_t(0));
    QVERIFY(f.form->ListView1->isEnabled());
    QCOMPARE(f.form->ListView1->model()->rowCount(), int(names.size()));
}

void Form1LifecycleTest::sampleDataLoadsWholeAndRanked() {
    // The file the demo folder starts with: every row loads, exactly as it stands.
    Form1Fixture f;
    QFile sample(QStringLiteral(KV_TEST_DATA "/sample_zodadud_data.dat"));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QByteArray bytes = sample.readAll();
    writeBytes(f.path(QStringLiteral("zodadud_data.dat")), bytes);
    f.form->Form_Load();

    QCOMPARE(f.form->ranking().rowCount(), 12);
    QCOMPARE(f.form->PanelText(2), QStringLiteral("12件みつかりました"));
    QCOMPARE(f.form->ranking().text(1, RankingModel::NameColumn), QStringLiteral("髙橋 誠"));
    // Equal counts share a rank.
    QCOMPARE(f.form->ranking().text(2, RankingModel::RankColumn), QStringLiteral("    2"));
    QCOMPARE(f.form->ranking().text(3, RankingModel::RankColumn), QStringLiteral("    3"));

    // Saved back unchanged, the file keeps its bytes.
    f.form->SaveDataFile(f.form->DataPath, false);
    QFile saved(f.form->DataPath);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), bytes);
    QCOMPARE(f.platform.dialogs->messages.size(), size_t(0));
}

void Form1LifecycleTest::startupSetsCaptionBeforeTheTrayIcon() {
    Form1Fixture f;
    f.form->Form_Load();
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Kestrelviewβ(0.3.3)"));

    const auto& calls = f.platform.notifyIcon->calls;
    QCOMPARE(calls.size(), size_t(1));
    QCOMPARE(calls[0].message, NIM_ADD);
    QCOMPARE(calls[0].data.hWnd, static_cast<QObject*>(f.form->form3()));
    QCOMPARE(calls[0].data.uID, 0u);
    QCOMPARE(calls[0].data.uCallbackMessage, 512u);
    QCOMPARE(QByteArray(calls[0].data.szTip), EncodeCp932(QStringLiteral("Kestrelviewβ(0.3.3)")));
    QVERIFY(!calls[0].data.hIcon.isNull());
    QCOMPARE(calls[0].data.hIcon.cacheKey(), f.form->windowIcon().cacheKey());
}

void Form1LifecycleTest::startupShowsTheWindowNormalWithTheTrayHostHidden() {
    Form1Fixture f;
    f.form->Form_Load();
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.form->windowState(), Qt::WindowNoState);
    QVERIFY(f.form->form3());
    QVERIFY(!f.form->form3()->isVisible());
    QCOMPARE(f.form->form3()->windowTitle(), QStringLiteral("起動中..."));
    QVERIFY(f.platform.clock->doEventsCalls >= 1);
}

void Form1LifecycleTest::largeTablesLoadBehindTheWindowAndShowTheirProgress_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("bar");
    // Each row takes 2 ms of the clock.
    QTest::newRow("short load") << false << 400 << false;
    QTest::newRow("long load") << false << 1000 << true;
    QTest::newRow("short save") << true << 400 << false;
    QTest::newRow("long save") << true << 1000 << true;
}

void Form1LifecycleTest::largeTablesLoadBehindTheWindowAndShowTheirProgress() {
    QFETCH(bool, save);
    QFETCH(int, rows);
    QFETCH(bool, bar);
    Form1Fixture f;
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
        if (f.form->FilesBusy()) {
            moments.push_back(
                {f.platform.clock->counter, f.form->isVisible(), f.form->ranking().rowCount(),
                 f.form->FileProgress->isVisible() ? f.form->FileProgress->text() : QString()});
        }
    };
    if (save) {
        f.form->Form_Load();
        f.platform.clock->onDoEvents = watch;
        f.form->SaveDataFile(f.form->DataPath, false);
    } else {
        f.platform.clock->onDoEvents = watch;
        f.form->Form_Load();
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
        QCOMPARE(f.form->FileProgress->text(), QStringLiteral("%1 / %1").arg(rows));
    }
    // The window is up while the table loads, and the list fills when it has loaded.
    for (const Moment& m : moments) {
        QVERIFY(m.windowShown);
        QCOMPARE(m.listRows, save ? rows : 0);
    }
    QVERIFY(!f.form->FileProgress->isVisible());
    QCOMPARE(f.form->ranking().rowCount(), rows);
}

void Form1LifecycleTest::startupRunIsScheduledOnlyWhenBootGetIsTicked_data() {
    QTest::addColumn<int>("bootGet");
    QTest::addColumn<bool>("scheduled");
    QTest::newRow("unticked") << 0 << false;
    QTest::newRow("ticked") << 1 << true;
    QTest::newRow("dimmed") << 2 << false;
}

void Form1LifecycleTest::startupRunIsScheduledOnlyWhenBootGetIsTicked() {
    QFETCH(int, bootGet);
    QFETCH(bool, scheduled);
    Form1Fixture f;
    writeBytes(f.path(QStringLiteral("setting.ini")),
               "[Setting]\r\nBootGet=" + QByteArray::number(bootGet) + "\r\n");
    f.form->Form_Load();
    QCOMPARE(f.form->BootGetChk->Value(), bootGet);
    QCOMPARE(f.form->Timer2->isActive(), scheduled);
}

void Form1LifecycleTest::startupStartsFromAFreshState() {
    Form1Fixture f;
    f.form->WaitTime = 5;
    f.form->ElapsedMinutes = 17;
    f.form->table().SetVisitor(QStringLiteral("残り"), QStringLiteral("99"), QStringLiteral("3"),
                               QString(), QString(), 0);
    f.form->Form_Load();

    QCOMPARE(f.form->WaitTime, 30);
    QCOMPARE(f.form->ElapsedMinutes, 0);
    QVERIFY(!f.form->Busy);
    QVERIFY(!f.form->QuitRequested);
    QCOMPARE(f.form->table().RowCount, 0);
    QCOMPARE(f.form->table().slotCount(), 256);
    QCOMPARE(f.form->ranking().rowCount(), 0);
    QCOMPARE(QDir::cleanPath(f.form->DataPath), QDir(f.dir.path()).filePath("zodadud_data.dat"));
    QCOMPARE(QDir::cleanPath(f.form->CsvPath), QDir(f.dir.path()).filePath("output.csv"));
}

void Form1LifecycleTest::unreadableFileIsToldAndNeverReplaced_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("data file") << "zodadud_data.dat" << kDataRows;
    QTest::newRow("csv file, no data file") << "output.csv" << kCsvRows;
}

void Form1LifecycleTest::unreadableFileIsToldAndNeverReplaced() {
    QFETCH(QString, fileName);
    QFETCH(QStringList, rows);
    Form1Fixture f;
    const QString path = f.path(fileName);
    const QByteArray bytes = cp932Lines(rows);
    writeBytes(path, bytes);
    f.platform.files->failOpen = [&](const QString& opened) {
        return QFileInfo(opened) == QFileInfo(path);
    };
    f.form->Form_Load();

    const auto& messages = f.platform.dialogs->messages;
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(messages[0].prompt,
             QStringLiteral("データファイル「") + QDir::toNativeSeparators(path) +
                 QStringLiteral("」を読み込めませんでした。(Permission denied)"));
    QCOMPARE(f.form->ranking().rowCount(), 0);

    // A page collected later: its rows go to the fallback file, the unread file keeps its own.
    f.form->table().SetVisitor(QStringLiteral("新顔"), QStringLiteral("42"), QStringLiteral("1"),
                               QString(), QString(), 0);
    f.form->RefreshRanking();
    const bool csv = fileName == u"output.csv";
    if (csv) {
        f.form->SaveCsvFile(f.form->CsvPath, false);
    } else {
        f.form->SaveDataFile(f.form->DataPath, false);
    }
    QCOMPARE(readBytes(path), bytes);
    QCOMPARE(readBytes(f.path(QStringLiteral("setting.bak"))),
             EncodeCp932(csv ? QStringLiteral("新顔,42,1,,\r\n")
                             : QStringLiteral("新顔\t42\t1\t\t\r\n")));
    QCOMPARE(messages.size(), size_t(2));
    QCOMPARE(messages[1].title, QStringLiteral("書き込みエラー"));
    QVERIFY(messages[1].prompt.contains(QDir::toNativeSeparators(path)));
    const QByteArray log = readBytes(f.path(QStringLiteral("kestrelview.log")));
    QVERIFY(
        log.contains(EncodeCp932(QStringLiteral("保存失敗 ") + QDir::toNativeSeparators(path))));
    QVERIFY(log.contains("setting.bak"));
}

QTEST_MAIN(Form1LifecycleTest)
#include "form1_lifecycle_test.moc"
