// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QSet>
#include <QTest>

#include "app/caption_button.h"
#include "app/check_box.h"
#include "app/ranking_view.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/launch_sandbox.h"

namespace {

const QString kRegister = QStringLiteral("スタートアップに登録");
const QString kUnregister = QStringLiteral("スタートアップから削除");

// As the window system delivers it: the second press of the pair comes as the double-click.
void doubleClick(QWidget* widget, const QPoint& point) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, point);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
}

// The main window on a desktop of our own: a stand-in browser named as the https handler and a
// stand-in opener on PATH, the real browser registry, autostart entry and command-line starter over
// them.
struct Desktop {
    Desktop() {
        f.platform->browserRegistry = createLinuxBrowserRegistry();
        f.platform->autostart = createLinuxAutostartEntry();
        f.platform->commandLine = createLinuxCommandLineStarter();
        browser = sandbox.addStandIn("browser");
        opener = sandbox.addStandIn("xdg-open");
        sandbox.setHttpsHandler("browser.desktop", "browser %u");
    }

    // Visitors in table order (count descending); the window is loaded and shown.
    void load(int visitors) {
        f.window->start();
        const QStringList names = {"mika", "akira", "kenji", "yui"};
        for (int i = 0; i < visitors; ++i) {
            f.window->book().table().SetVisitor(
                names[i], QString::number(100 + i), QString::number(visitors - i),
                "2026年12月06日 22:19", {}, f.window->book().table().RowCount);
        }
        f.window->book().RefreshRanking();
    }

    QPoint rowPoint(int listRow) const {
        const QModelIndex index =
            f.window->book().rankingSort().index(listRow, RankingModel::NameColumn);
        return control<RankingView>(f.window, "ListView1")->visualRect(index).center();
    }
    QWidget* list() const { return control<RankingView>(f.window, "ListView1")->viewport(); }
    int selectedListRow() const {
        const QModelIndexList rows =
            control<RankingView>(f.window, "ListView1")->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
    QMenu* menu() const { return f.window->findChild<QMenu*>("MNU_POP"); }
    QString autostartEntry() const {
        return sandbox.configHome() + "/autostart/kestrelview.desktop";
    }

    LaunchSandbox sandbox;
    MainWindowFixture f;
    QString browser;
    QString opener;
};

}  // namespace

// The ranking list's pages in the browser, its pop-up menu, the maker's pages and the start-up
// button, through the real window.
class ListPagesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // The menu as the user reads it: its captions in order, each access key once.
    void popupMenuShowsItsEntriesInOrder() {
        Desktop d;
        QMenu* menu = d.menu();
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("ポップアップメニュー"));
        QStringList captions;
        QSet<QChar> keys;
        for (const QAction* action : menu->actions()) {
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
            const qsizetype amp = action->text().indexOf(u'&');
            if (amp >= 0) {
                QVERIFY2(!keys.contains(action->text()[amp + 1]), qPrintable(action->text()));
                keys.insert(action->text()[amp + 1]);
            }
        }
        QCOMPARE(captions, (QStringList{"ページ表示(&V)", "-", "メモを編集", "足あと履歴(&H)", "-",
                                        "マイミクシィ一覧(&M)", "コミュニティ一覧(&C)", "-",
                                        "日記一覧(&D)", "紹介文一覧(&I)", "レビュー一覧(&R)",
                                        "写真一覧(&P)", "-", "メッセージを送る(&S)",
                                        "お気に入りに追加(&F)", "マイミクシィに追加(&A)"}));
    }

    // Each page entry, found by the caption the user reads, opens its page for the selected
    // visitor.
    void eachPageEntryOpensItsPage_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("page");
        QTest::newRow("profile") << "ページ表示(&V)"
                                 << "/show_friend.pl?id=101";
        QTest::newRow("friends") << "マイミクシィ一覧(&M)"
                                 << "/list_friend.pl?id=101";
        QTest::newRow("communities") << "コミュニティ一覧(&C)"
                                     << "/list_community.pl?id=101";
        QTest::newRow("diary") << "日記一覧(&D)"
                               << "/list_diary.pl?id=101";
        QTest::newRow("introductions") << "紹介文一覧(&I)"
                                       << "/show_intro.pl?id=101";
        QTest::newRow("reviews") << "レビュー一覧(&R)"
                                 << "/list_review.pl?id=101";
        QTest::newRow("photos") << "写真一覧(&P)"
                                << "/show_photo.pl?id=101";
        QTest::newRow("message") << "メッセージを送る(&S)"
                                 << "/send_message.pl?id=101";
        QTest::newRow("bookmark") << "お気に入りに追加(&F)"
                                  << "/add_bookmark.pl?id=101";
        QTest::newRow("friend request") << "マイミクシィに追加(&A)"
                                        << "/add_friend.pl?id=101";
    }
    void eachPageEntryOpensItsPage() {
        QFETCH(QString, caption);
        QFETCH(QString, page);
        Desktop d;
        d.load(4);
        QTest::mouseClick(d.list(), Qt::LeftButton, {}, d.rowPoint(1));
        QAction* entry = nullptr;
        for (QAction* action : d.menu()->actions()) {
            if (action->text() == caption) {
                entry = action;
            }
        }
        QVERIFY(entry);
        entry->trigger();
        QVERIFY(d.sandbox.waitForLaunches("browser", 1));
        QCOMPARE(d.sandbox.launches("browser"),
                 (QList<QStringList>{{d.browser, "https://mixi.jp" + page}}));
        QVERIFY(d.f.platform.dialogs->inputs.empty());
    }

    // Where the right button lands picks the row the menu acts on; elsewhere the selection stays.
    void pressOverTheList_data() {
        QTest::addColumn<int>("visitors");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("pressedRow");  // -1: below the rows
        QTest::addColumn<bool>("menuShown");
        QTest::addColumn<int>("selectedRow");
        QTest::newRow("right button over row 3") << 4 << Qt::RightButton << 2 << true << 2;
        QTest::newRow("right button below the rows") << 4 << Qt::RightButton << -1 << true << 0;
        QTest::newRow("right button, empty list") << 0 << Qt::RightButton << -1 << false << -1;
        QTest::newRow("left button") << 4 << Qt::LeftButton << 2 << false << 2;
        QTest::newRow("middle button") << 4 << Qt::MiddleButton << 2 << false << 2;
    }
    void pressOverTheList() {
        QFETCH(int, visitors);
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, pressedRow);
        QFETCH(bool, menuShown);
        QFETCH(int, selectedRow);
        Desktop d;
        d.load(visitors);
        Q_EMIT control<RankingView>(d.f.window, "ListView1")
            ->header()
            ->sectionClicked(RankingModel::NameColumn);  // yui, mika, kenji, akira
        if (visitors > 0) {
            QTest::mouseClick(d.list(), Qt::LeftButton, {}, d.rowPoint(0));
            QCOMPARE(d.selectedListRow(), 0);
        }
        const QPoint point =
            pressedRow >= 0 ? d.rowPoint(pressedRow) : QPoint(20, d.list()->height() - 5);
        QTest::mousePress(d.list(), button, {}, point);
        QCOMPARE(d.menu()->isVisible(), menuShown);
        QCOMPARE(d.selectedListRow(), selectedRow);
        QTest::mouseRelease(d.list(), button, {}, point);
        if (menuShown) {
            // The entry opens the page of the row selected now, through the header sort.
            d.f.window->findChild<QAction*>("MNU_MESSAGE")->trigger();
            QVERIFY(d.sandbox.waitForLaunches("browser", 1));
            const QString id = selectedRow == 2 ? "102" : "103";
            QCOMPARE(d.sandbox.launches("browser"),
                     (QList<QStringList>{{d.browser, "https://mixi.jp/send_message.pl?id=" + id}}));
        }
        d.menu()->hide();
    }

    void menuKeyOpensTheMenuAtTheSelectedRow_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("selectedRow");  // -1: none
        QTest::addColumn<bool>("menuShown");
        QTest::newRow("Menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << 2 << true;
        QTest::newRow("Shift+F10")
            << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1 << true;
        QTest::newRow("F10 alone") << int(Qt::Key_F10) << Qt::KeyboardModifiers() << 1 << false;
        QTest::newRow("no row selected")
            << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << -1 << false;
    }
    void menuKeyOpensTheMenuAtTheSelectedRow() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, selectedRow);
        QFETCH(bool, menuShown);
        Desktop d;
        d.load(4);
        if (selectedRow >= 0) {
            QTest::mouseClick(d.list(), Qt::LeftButton, {}, d.rowPoint(selectedRow));
        }
        QTest::keyClick(control<RankingView>(d.f.window, "ListView1"), Qt::Key(key), modifiers);
        QCOMPARE(d.menu()->isVisible(), menuShown);
        if (menuShown) {
            const QModelIndex row = d.f.window->book().rankingSort().index(selectedRow, 0);
            const QRect rect = control<RankingView>(d.f.window, "ListView1")->visualRect(row);
            QCOMPARE(d.menu()->pos(), d.list()->mapToGlobal(rect.bottomLeft()));
            QCOMPARE(d.selectedListRow(), selectedRow);
        }
        d.menu()->hide();
    }

    // Through the header sort: the page is the visitor's in the row that was clicked.
    void doubleClickAndMenuEntriesOpenTheVisitorsPages() {
        Desktop d;
        d.load(4);
        Q_EMIT control<RankingView>(d.f.window, "ListView1")
            ->header()
            ->sectionClicked(RankingModel::NameColumn);  // yui, mika, kenji, akira
        doubleClick(d.list(), d.rowPoint(1));
        QVERIFY(d.sandbox.waitForLaunches("browser", 1));
        QCOMPARE(d.sandbox.launches("browser"),
                 (QList<QStringList>{{d.browser, "https://mixi.jp/show_friend.pl?id=100"}}));

        d.sandbox.clearLaunches();
        d.f.window->listCommands().setServiceAddress("http://127.0.0.1:8080/show_log.pl");
        QCOMPARE(d.f.window->listCommands().serviceBaseAddress(),
                 QStringLiteral("http://127.0.0.1:8080"));
        d.f.window->findChild<QAction*>("MNU_MESSAGE")->trigger();
        QVERIFY(d.sandbox.waitForLaunches("browser", 1));
        QCOMPARE(d.sandbox.launches("browser"),
                 (QList<QStringList>{{d.browser, "http://127.0.0.1:8080/send_message.pl?id=100"}}));
        QVERIFY(d.sandbox.launches("xdg-open").isEmpty());
    }

    void tickedIEOpenChkOpensThroughTheDesktopsOpener() {
        Desktop d;
        d.load(2);
        control<CheckBox>(d.f.window, "IEOpenChk")->setValue(Tick::Ticked);
        doubleClick(d.list(), d.rowPoint(1));
        QVERIFY(d.sandbox.waitForLaunches("xdg-open", 1));
        QCOMPARE(d.sandbox.launches("xdg-open"),
                 (QList<QStringList>{{d.opener, "https://mixi.jp/show_friend.pl?id=101"}}));
        QVERIFY(d.sandbox.launches("browser").isEmpty());
    }

    void doubleClickBelowTheRowsWithoutASelectedRowOpensNothing() {
        Desktop d;
        d.load(2);
        doubleClick(d.list(), QPoint(20, d.list()->height() - 5));
        QCOMPARE(d.selectedListRow(), -1);
        d.sandbox.settle();
        QVERIFY(d.sandbox.launches("browser").isEmpty());
    }

    // The command lines leave the quote open; the opener still receives the bare address.
    void makerPagesGoToTheOpener() {
        Desktop d;
        d.load(0);
        QTest::mouseClick(control<CaptionButton>(d.f.window, "Command2"), Qt::LeftButton);
        QVERIFY(d.sandbox.waitForLaunches("xdg-open", 1));
        QTest::mouseClick(control<CaptionButton>(d.f.window, "Command3"), Qt::LeftButton);
        QVERIFY(d.sandbox.waitForLaunches("xdg-open", 2));
        QCOMPARE(d.sandbox.launches("xdg-open"),
                 (QList<QStringList>{{d.opener, "https://www.example.com/kestrelview/"},
                                     {d.opener, "https://www.example.com/kestrelview/report"}}));
        QVERIFY(d.sandbox.launches("browser").isEmpty());
        QVERIFY(d.f.platform.dialogs->messages.empty());
    }

    void startupButtonFollowsAndChangesTheAutostartEntry() {
        Desktop d;
        d.sandbox.writeFile("config/autostart/kestrelview.desktop", "made elsewhere");
        d.load(0);
        QCOMPARE(control<CaptionButton>(d.f.window, "Command6")->text(), kUnregister);

        QTest::mouseClick(control<CaptionButton>(d.f.window, "Command6"), Qt::LeftButton);
        QVERIFY(!QFile::exists(d.autostartEntry()));
        QCOMPARE(control<CaptionButton>(d.f.window, "Command6")->text(), kRegister);

        QTest::mouseClick(control<CaptionButton>(d.f.window, "Command6"), Qt::LeftButton);
        QFile entry(d.autostartEntry());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains(QDir(d.f.dir.path()).filePath("Kestrelview").toUtf8()));
        QCOMPARE(control<CaptionButton>(d.f.window, "Command6")->text(), kUnregister);
        QVERIFY(d.f.platform.dialogs->messages.empty());

        // A file where the autostart folder belongs refuses the write.
        QTest::mouseClick(control<CaptionButton>(d.f.window, "Command6"), Qt::LeftButton);
        QVERIFY(QDir(d.sandbox.configHome()).rmdir("autostart"));
        d.sandbox.writeFile("config/autostart", "not a folder");
        QTest::mouseClick(control<CaptionButton>(d.f.window, "Command6"), Qt::LeftButton);
        QCOMPARE(control<CaptionButton>(d.f.window, "Command6")->text(), kRegister);
        QCOMPARE(d.f.platform.dialogs->messages.size(), size_t(1));
        QCOMPARE(d.f.platform.dialogs->messages[0].prompt,
                 QStringLiteral("スタートアップの設定を変更できませんでした。"));
        QCOMPARE(d.f.platform.dialogs->messages[0].title, QStringLiteral("Kestrelview"));
    }
};

QTEST_MAIN(ListPagesTest)
#include "list_pages_test.moc"
