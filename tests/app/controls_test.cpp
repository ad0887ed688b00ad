// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "app/appearance.h"
#include "app/check_box.h"
#include "app/ranking_view.h"
#include "app/up_down.h"
#include "tests/app/main_window_fixture.h"

class ControlsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void upDownStepsTheNumberInItsBox_data();
    void upDownStepsTheNumberInItsBox();
    void upDownRespondsToTheMouseAndTheArrowKeys();
    void checkBoxKnowsThreeStatesButClicksOnlyTwo();
    void pawPictureIsAGreyPawOnWhite();
    void rankingListShowsThePictureBehindItsRows();
    void rankingListKeepsItsColumnsAndSelection();
    void headerClicksSortTheListWithOneSharedDirection();
};

void ControlsTest::upDownStepsTheNumberInItsBox_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("changes");

    // The control starts at 30 within 1..1000.
    QTest::newRow("up from 30") << QStringLiteral("30") << 1 << QStringLiteral("31") << 1;
    QTest::newRow("down from 30") << QStringLiteral("30") << -1 << QStringLiteral("29") << 1;
    QTest::newRow("from a typed number")
        << QStringLiteral("998") << 5 << QStringLiteral("1000") << 2;
    QTest::newRow("typed with blanks") << QStringLiteral(" 7 ") << -1 << QStringLiteral("6") << 1;
    QTest::newRow("stops at 1000") << QStringLiteral("1000") << 1 << QStringLiteral("1000") << 0;
    QTest::newRow("stops at 1") << QStringLiteral("1") << -3 << QStringLiteral("1") << 0;
    // A box that does not hold a number within the range steps from the control's own value.
    QTest::newRow("letters") << QStringLiteral("abc") << 1 << QStringLiteral("31") << 1;
    QTest::newRow("beyond the range") << QStringLiteral("5000") << -1 << QStringLiteral("29") << 1;
    QTest::newRow("empty") << QString() << 2 << QStringLiteral("32") << 2;
}

void ControlsTest::upDownStepsTheNumberInItsBox() {
    QFETCH(QString, typed);
    QFETCH(int, steps);
    QFETCH(QString, shown);
    QFETCH(int, changes);

    MainWindowFixture f;
    QLineEdit* box = control<QLineEdit>(f.window, "Text1");
    UpDown* arrows = control<UpDown>(f.window, "UpDown1");
    QCOMPARE(arrows->Value(), 30);
    QCOMPARE(arrows->Max(), 1000);
    QCOMPARE(arrows->buddy(), box);
    box->setText(typed);
    QSignalSpy changed(arrows, &UpDown::Change);
    QSignalSpy edited(box, &QLineEdit::textChanged);
    for (int i = 0; i < std::abs(steps); ++i) {
        steps > 0 ? arrows->stepUp() : arrows->stepDown();
    }
    QCOMPARE(box->text(), shown);
    QCOMPARE(changed.count(), changes);
    // Every step rewrites the box, which is what the box's own change handling reacts to.
    QCOMPARE(edited.count(), changes);
}

void ControlsTest::upDownRespondsToTheMouseAndTheArrowKeys() {
    MainWindowFixture f;
    f.window->show();
    UpDown* arrows = control<UpDown>(f.window, "UpDown1");
    QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, 2));
    QCOMPARE(control<QLineEdit>(f.window, "Text1")->text(), QStringLiteral("31"));
    QTest::mouseClick(arrows, Qt::LeftButton, {},
                      QPoint(arrows->width() / 2, arrows->height() - 2));
    QTest::mouseClick(arrows, Qt::LeftButton, {},
                      QPoint(arrows->width() / 2, arrows->height() - 2));
    QCOMPARE(control<QLineEdit>(f.window, "Text1")->text(), QStringLiteral("29"));

    // Reached with Tab, the control steps with the arrow keys.
    QTest::keyClick(arrows, Qt::Key_Up);
    QTest::keyClick(arrows, Qt::Key_Up);
    QCOMPARE(control<QLineEdit>(f.window, "Text1")->text(), QStringLiteral("31"));
    QTest::keyClick(arrows, Qt::Key_Down);
    QCOMPARE(control<QLineEdit>(f.window, "Text1")->text(), QStringLiteral("30"));
}

void ControlsTest::checkBoxKnowsThreeStatesButClicksOnlyTwo() {
    CheckBox box(QStringLiteral("起動時取得"));
    box.show();
    QCOMPARE(box.Value(), Tick::Unticked);
    box.setValue(Tick::Dimmed);
    QCOMPARE(box.Value(), Tick::Dimmed);
    QCOMPARE(box.checkState(), Qt::PartiallyChecked);

    box.click();
    QCOMPARE(box.Value(), Tick::Ticked);
    box.click();
    QCOMPARE(box.Value(), Tick::Unticked);
    box.click();
    QCOMPARE(box.Value(), Tick::Ticked);
}

void ControlsTest::pawPictureIsAGreyPawOnWhite() {
    const QImage picture = PawPrintPicture();
    QCOMPARE(picture.size(), QSize(424, 300));
    for (QPoint corner : {QPoint(0, 0), QPoint(423, 0), QPoint(0, 299), QPoint(423, 299)}) {
        QCOMPARE(picture.pixelColor(corner), QColor(Qt::white));
    }

    // The grey areas, each found by filling from one of its pixels.
    struct Blob {
        int size = 0;
        QPointF centre;
        QRect bounds;
    };
    auto isGrey = [&](int x, int y) {
        const QColor c = picture.pixelColor(x, y);
        return c.red() == c.green() && c.green() == c.blue() && c.red() < 240;
    };
    std::vector<bool> seen(size_t(picture.width() * picture.height()), false);
    std::vector<Blob> blobs;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (seen[size_t(y * picture.width() + x)] || !isGrey(x, y)) {
                continue;
            }
            Blob blob;
            double sumX = 0;
            double sumY = 0;
            std::vector<QPoint> todo{{x, y}};
            seen[size_t(y * picture.width() + x)] = true;
            while (!todo.empty()) {
                const QPoint p = todo.back();
                todo.pop_back();
                ++blob.size;
                sumX += p.x();
                sumY += p.y();
                blob.bounds |= QRect(p, QSize(1, 1));
                for (QPoint n :
                     {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)}) {
                    if (picture.rect().contains(n) &&
                        !seen[size_t(n.y() * picture.width() + n.x())] && isGrey(n.x(), n.y())) {
                        seen[size_t(n.y() * picture.width() + n.x())] = true;
                        todo.push_back(n);
                    }
                }
            }
            blob.centre = QPointF(sumX / blob.size, sumY / blob.size);
            blobs.push_back(blob);
        }
    }
    QCOMPARE(blobs.size(), size_t(4));
    std::sort(blobs.begin(), blobs.end(),
              [](const Blob& a, const Blob& b) { return a.size > b.size; });
    const Blob& pad = blobs[0];
    // A round pad: as wide as it is high.
    QVERIFY(std::abs(pad.bounds.width() - pad.bounds.height()) <= 2);
    for (size_t i = 1; i < blobs.size(); ++i) {
        const Blob& toe = blobs[i];
        QVERIFY(toe.size * 3 < pad.size);
        // Oval, not round, and above the pad or to its right.
        QVERIFY(toe.bounds.width() != toe.bounds.height());
        QVERIFY(toe.centre.y() < pad.centre.y());
        QVERIFY(toe.centre.x() > pad.bounds.left() + pad.bounds.width() / 3);
    }
}

void ControlsTest::rankingListShowsThePictureBehindItsRows() {
    MainWindowFixture f;
    f.window->start();
    RankingView* list = control<RankingView>(f.window, "ListView1");
    const QRect where = list->backgroundRect();
    QCOMPARE(where.size(), QSize(424, 300));
    QCOMPARE(where.center(), list->viewport()->rect().center());

    const QImage shown = list->viewport()->grab().toImage();
    const QImage& picture = list->backgroundPicture();
    int same = 0;
    int compared = 0;
    for (int y = std::max(0, where.top()); y <= std::min(shown.height() - 1, where.bottom());
         y += 7) {
        for (int x = std::max(0, where.left()); x <= std::min(shown.width() - 1, where.right());
             x += 7) {
            ++compared;
            same += shown.pixelColor(x, y) == picture.pixelColor(x - where.left(), y - where.top());
        }
    }
    QVERIFY(compared > 1000);
    QCOMPARE(same, compared);
}

void ControlsTest::rankingListKeepsItsColumnsAndSelection() {
    MainWindowFixture f;
    f.window->start();
    f.window->book().table().SetVisitor(QStringLiteral("山田"), QStringLiteral("12345"),
                                        QStringLiteral("3"), QString(), QString(), 0);
    f.window->book().RefreshRanking();
    RankingView* list = control<RankingView>(f.window, "ListView1");
    QHeaderView* header = list->header();
    const QString captions[] = {QStringLiteral("順位"),         QStringLiteral("名前"),
                                QStringLiteral("ID"),           QStringLiteral("アクセス回数"),
                                QStringLiteral("最終アクセス"), QStringLiteral("メモ")};
    QCOMPARE(header->count(), 6);
    for (int column = 0; column < 6; ++column) {
        const QString caption = list->model()->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(caption, captions[column]);
        QVERIFY2(header->sectionSizeHint(column) <= header->sectionSize(column),
                 qPrintable(caption + QStringLiteral(" is cut short")));
        // The id and the count line up on their last digit, the other texts on their first letter.
        const bool right = column == 2 || column == 3;
        const QVariant inHeader =
            list->model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole);
        const QVariant inRow = list->model()->index(0, column).data(Qt::TextAlignmentRole);
        QCOMPARE(bool(Qt::Alignment(inHeader.toInt()) & Qt::AlignRight), right);
        QCOMPARE(bool(Qt::Alignment(inRow.toInt()) & Qt::AlignRight), right);
    }
    QVERIFY(!list->rootIsDecorated());
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
}

void ControlsTest::headerClicksSortTheListWithOneSharedDirection() {
    MainWindowFixture f;
    for (const char* row : {"b\t1\t9\t\t", "a\t2\t10\t\t", "c\t3\t7\t\t"}) {
        f.window->book().table().SetVisitor(QString::fromLatin1(row).section(u'\t', 0, 0),
                                            QString::fromLatin1(row).section(u'\t', 1, 1),
                                            QString::fromLatin1(row).section(u'\t', 2, 2),
                                            QString(), QString(),
                                            f.window->book().table().RowCount);
    }
    f.window->show();
    f.window->book().RefreshRanking();
    QAbstractItemModel* shown = control<RankingView>(f.window, "ListView1")->model();
    auto column = [&](int c) {
        QStringList texts;
        for (int r = 0; r < shown->rowCount(); ++r) {
            texts << shown->index(r, c).data().toString().trimmed();
        }
        return texts;
    };
    QCOMPARE(column(1), (QStringList{"b", "a", "c"}));

    QHeaderView* header = control<RankingView>(f.window, "ListView1")->header();
    auto clickHeader = [&](int c) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(c) + 5, header->height() / 2));
    };
    // The first click sorts descending (the direction starts ascending and flips).
    clickHeader(3);
    QCOMPARE(column(3), (QStringList{"10", "9", "7"}));
    // Another column flips the shared direction again: ascending.
    clickHeader(1);
    QCOMPARE(column(1), (QStringList{"a", "b", "c"}));
    // The rank column switches sorting off first, then sorts by the rank text.
    clickHeader(0);
    QCOMPARE(f.window->book().rankingSort().sortKey(), 0);
    QCOMPARE(f.window->book().rankingSort().direction(), Qt::DescendingOrder);
    // A refill keeps the chosen order.
    f.window->book().RefreshRanking();
    QCOMPARE(column(0), (QStringList{"3", "2", "1"}));
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
