// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The real window on a real X display with a notification area (run by with-display.sh).
#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRawFont>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

#include "app/appearance.h"
#include "app/main_window.h"
#include "app/ranking_view.h"
#include "app/tray_host.h"
#include "platform/platform.h"
#include "tests/app/main_window_fixture.h"

namespace {

struct Caption {
    QString where;
    QString text;
    QFont font;
};

QString withoutAccessKey(QString text) {
    return text.remove(u'&');
}

std::vector<Caption> captionsOf(QWidget* window) {
    std::vector<Caption> captions{{window->objectName(), window->windowTitle(), window->font()}};
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = withoutAccessKey(button->text());
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            text = label->text();
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            text = box->title();
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            text = edit->text();
        } else if (auto* menu = qobject_cast<QMenu*>(w)) {
            text = menu->title();
            for (QAction* action : menu->actions()) {
                captions.push_back(
                    {action->objectName(), withoutAccessKey(action->text()), menu->font()});
            }
        } else if (auto* header = qobject_cast<QHeaderView*>(w)) {
            for (int i = 0; i < header->count(); ++i) {
                captions.push_back({QStringLiteral("header"),
                                    header->model()->headerData(i, Qt::Horizontal).toString(),
                                    header->font()});
            }
        }
        if (!text.isEmpty()) {
            captions.push_back({w->objectName(), text, w->font()});
        }
    }
    return captions;
}

bool runXdotool(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    return xdotool.waitForFinished(5000) && xdotool.exitCode() == 0;
}

}  // namespace

class WindowDisplayTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everyCaptionCharacterIsInTheFont();
    void trayIconHidesAndShowsTheWindow();
    void darkThemeLeavesTheListAndFrameReadable();
    void screenshotAndQuitFromTheTray();

  private:
    QTemporaryDir m_dir;
    std::unique_ptr<Platform> m_platform;
    std::unique_ptr<MainWindow> m_window;
};

void WindowDisplayTest::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(ProgramFont());
    QVERIFY(QFile::copy(QStringLiteral(KV_TEST_DATA "/sample_zodadud_data.dat"),
                        m_dir.filePath(QStringLiteral("zodadud_data.dat"))));
    m_platform = Platform::createLinux(m_dir.path());
    m_window = std::make_unique<MainWindow>(*m_platform);
    m_window->start();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 5000);
    QVERIFY(m_platform->trayIcon->available());
}

void WindowDisplayTest::cleanupTestCase() {
    m_window.reset();
    m_platform.reset();
}

void WindowDisplayTest::everyCaptionCharacterIsInTheFont() {
    QCOMPARE(QFontInfo(m_window->font()).family(), QStringLiteral("IPAGothic"));
    QCOMPARE(QFontInfo(m_window->font()).pixelSize(), 12);

    std::vector<Caption> captions = captionsOf(m_window.get());
    for (const Caption& c : captionsOf(m_window->trayHost())) {
        captions.push_back(c);
    }
    QVERIFY(captions.size() > 30);
    QStringList missing;
    for (const Caption& caption : captions) {
        const QFontMetrics metrics(caption.font);
        const QRawFont raw = QRawFont::fromFont(caption.font);
        for (char32_t c : caption.text.toUcs4()) {
            if (QChar::isSpace(c)) {
                continue;
            }
            // Not only through a fallback font: the font itself has the character.
            if (!metrics.inFontUcs4(c) || !raw.supportsCharacter(c)) {
                missing << QStringLiteral("%1: U+%2").arg(caption.where).arg(uint(c), 4, 16);
            }
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
}

void WindowDisplayTest::trayIconHidesAndShowsTheWindow() {
    auto* icon = m_platform->trayIcon->findChild<QSystemTrayIcon*>(QStringLiteral("NotifyIcon0"));
    QVERIFY(icon);
    QTRY_VERIFY_WITH_TIMEOUT(!icon->geometry().isEmpty(), 5000);
    const QPoint centre = icon->geometry().center();
    const QStringList click = {QStringLiteral("mousemove"), QString::number(centre.x()),
                               QString::number(centre.y()), QStringLiteral("click"),
                               QStringLiteral("1")};

    QVERIFY(m_window->isVisible());
    QVERIFY(runXdotool(click));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 5000);
    QCOMPARE(control<QAction>(m_window->trayHost(), "MNU_VISIBLE")->text(), QStringLiteral("表示"));

    // Two clicks in quick succession are a double click, which toggles nothing.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY(runXdotool(click));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible(), 5000);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(control<QAction>(m_window->trayHost(), "MNU_VISIBLE")->text(),
             QStringLiteral("非表示"));
}

void WindowDisplayTest::darkThemeLeavesTheListAndFrameReadable() {
    const QPalette saved = QApplication::palette();
    QApplication::setPalette(DarkThemePalette());
    QTest::qWait(200);
    RankingView* rankingList = control<RankingView>(m_window, "ListView1");
    const QImage list = rankingList->viewport()->grab().toImage();
    const QImage frame = control<QFrame>(m_window, "Frame1")->grab().toImage();
    const QString shot =
        QCoreApplication::applicationDirPath() + QStringLiteral("/kestrelview_window_dark.png");
    const bool written = QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
    QApplication::setPalette(saved);
    QVERIFY(written);
    qInfo("Screenshot: %s", qPrintable(shot));

    // Dark writing on light ground: in the list's first row and in the frame's first label.
    auto darkAndLight = [](const QImage& image, const QRect& area) {
        int dark = 0;
        int light = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const int v = image.pixelColor(x, y).value();
                dark += v < 90;
                light += v > 180;
            }
        }
        return std::pair{dark, light};
    };
    const QRect firstRow = rankingList->visualRect(rankingList->model()->index(0, 1)) & list.rect();
    const auto [rowDark, rowLight] = darkAndLight(list, firstRow);
    QVERIFY2(rowDark > 0 && rowLight > rowDark,
             qPrintable(QStringLiteral("%1 %2").arg(rowDark).arg(rowLight)));
    const auto [labelDark, labelLight] =
        darkAndLight(frame, control<QLabel>(m_window, "Label1")->geometry());
    QVERIFY2(labelDark > 0 && labelLight > labelDark,
             qPrintable(QStringLiteral("%1 %2").arg(labelDark).arg(labelLight)));
}

void WindowDisplayTest::screenshotAndQuitFromTheTray() {
    auto* icon = m_platform->trayIcon->findChild<QSystemTrayIcon*>(QStringLiteral("NotifyIcon0"));
    QVERIFY(icon);
    const QPoint centre = icon->geometry().center();
    QVERIFY(
        runXdotool({QStringLiteral("mousemove"), QString::number(centre.x()),
                    QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("3")}));
    QMenu* menu = control<QMenu>(m_window->trayHost(), "MNU_POPUP");
    QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 5000);
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::qWait(200);

    const QString shot =
        QCoreApplication::applicationDirPath() + QStringLiteral("/kestrelview_window.png");
    QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(shot));
    qInfo("Screenshot: %s", qPrintable(shot));

    QSignalSpy ended(m_window.get(), &MainWindow::programEnded);
    menu->hide();
    control<QAction>(m_window->trayHost(), "MNU_END")->trigger();
    QCOMPARE(ended.count(), 1);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!m_platform->trayIcon->findChild<QSystemTrayIcon*>(QStringLiteral("NotifyIcon0")));
}

QTEST_MAIN(WindowDisplayTest)
#include "window_display_test.moc"
