// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/ranking_view.h"

#include <QHeaderView>
#include <QPainter>

#include "app/appearance.h"
#include "visitors/ranking_model.h"

RankingView::RankingView(QWidget* parent) : QTreeView(parent), m_picture(PawPrintPicture()) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setTextElideMode(Qt::ElideRight);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    header()->setSortIndicatorShown(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void RankingView::applyColumnLayout() {
    for (int column = 0; column < RankingModel::kColumnCount; ++column) {
        header()->resizeSection(column, TwipsToPixels(RankingModel::columnWidthTwips(column)));
    }
}

QRect RankingView::backgroundRect() const {
    QRect area(QPoint(0, 0), m_picture.size());
    area.moveCenter(viewport()->rect().center());
    return area;
}

void RankingView::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        painter.drawImage(backgroundRect(), m_picture);
    }
    QTreeView::paintEvent(event);
}

void RankingView::scrollContentsBy(int dx, int dy) {
    QTreeView::scrollContentsBy(dx, dy);
    // The picture stays where it is while the rows move, so scrolling by copying pixels is not
    // enough.
    viewport()->update();
}
