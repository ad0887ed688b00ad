// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/visitor_history_window.h"

#include <QAbstractListModel>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

#include "app/appearance.h"
#include "app/history_charts.h"
#include "platform/clock.h"
#include "visitors/history_figures.h"
#include "visitors/history_loader.h"
#include "visitors/ranking_model.h"

// The visits as rows, formatted only when a row is drawn: a visitor may have a million of them.
class VisitListModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void setVisits(std::vector<VisitStamp> visits) {
        beginResetModel();
        m_visits = std::move(visits);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_visits.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
            return {};
        }
        return FormatVisitStamp(m_visits[size_t(index.row())]);
    }

  private:
    std::vector<VisitStamp> m_visits;
};

namespace {

QLabel* addLabel(QGridLayout* grid, const QString& objectName, int row, int column) {
    auto* label = new QLabel;
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(label, row, column);
    return label;
}

QString stampText(const std::optional<VisitStamp>& stamp) {
    return stamp ? FormatVisitStamp(*stamp) : QStringLiteral("-");
}

}  // namespace

VisitorHistoryWindow::VisitorHistoryWindow(HistoryLoader& loader, Clock& clock, qint32 id,
                                           const QString& name, qint32 countedVisits,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_loader(loader),
      m_clock(clock),
      m_id(id),
      m_countedVisits(countedVisits) {
    setObjectName(QStringLiteral("VisitorHistoryWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(DecodeCharacterReferences(name));
    setFont(ProgramFont());
    resize(720, 640);

    auto* layout = new QVBoxLayout(this);
    m_status = MakeLoadStatus();
    layout->addWidget(m_status);

    auto* grid = new QGridLayout;
    m_first = addLabel(grid, QStringLiteral("firstVisit"), 0, 0);
    m_latest = addLabel(grid, QStringLiteral("latestVisit"), 0, 1);
    m_lastSevenDays = addLabel(grid, QStringLiteral("lastSevenDays"), 1, 0);
    m_lastThirtyDays = addLabel(grid, QStringLiteral("lastThirtyDays"), 1, 1);
    m_recordingStart = addLabel(grid, QStringLiteral("recordingStart"), 2, 0);
    m_recordingStart->hide();
    layout->addLayout(grid);

    m_chart = MakeBarChartView(this, QStringLiteral("weeklyChart"));
    m_chart->setMinimumHeight(280);
    layout->addWidget(m_chart, 3);

    m_visits = new VisitListModel(this);
    m_list = new QListView;
    m_list->setObjectName(QStringLiteral("visitList"));
    m_list->setUniformItemSizes(true);
    m_list->setModel(m_visits);
    layout->addWidget(m_list, 2);

    connect(&m_loader, &HistoryLoader::loaded, this, &VisitorHistoryWindow::showHistory);
    m_loader.load();
}

void VisitorHistoryWindow::showHistory() {
    const std::shared_ptr<const HistoryIndex> index = m_loader.index();
    if (!index) {
        return;
    }
    ShowLoadStatus(m_status, m_loader);
    VisitorFigures figures = FiguresOfVisitor(*index, m_id, m_countedVisits, m_clock.now());
    m_first->setText(QStringLiteral("最初の記録: ") + stampText(figures.first));
    m_latest->setText(QStringLiteral("最新の記録: ") + stampText(figures.latest));
    m_lastSevenDays->setText(QStringLiteral("過去7日間: %1回").arg(figures.lastSevenDays));
    m_lastThirtyDays->setText(QStringLiteral("過去30日間: %1回").arg(figures.lastThirtyDays));
    m_recordingStart->setText(QStringLiteral("記録開始: ") +
                              (figures.recordingStart ? FormatVisitStamp(*figures.recordingStart)
                                                      : QStringLiteral("次の足あと取得から")));
    m_recordingStart->setVisible(figures.startsAfterFirstCounted);

    // Each week by its last day, every fourth one.
    ShowBars(m_chart, QStringLiteral("週ごとの足あと"), figures.perWeek, 4,
             [today = figures.today](int week) {
                 return WeekEnd(today, week).toString(QStringLiteral("M/d"));
             });
    m_visits->setVisits(std::move(figures.visitsNewestFirst));
}
