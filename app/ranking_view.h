// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QImage>
#include <QTreeView>

// The ranking list: a report-style list of the ranking's six columns, one row selected at a time,
// with the paw-print picture in the middle of its background.
class RankingView : public QTreeView {
    Q_OBJECT
  public:
    explicit RankingView(QWidget* parent = nullptr);

    // Column widths and alignments come from the ranking model; call after setModel().
    void applyColumnLayout();

    const QImage& backgroundPicture() const { return m_picture; }
    // Where the picture lies in the viewport: centred, fixed while the rows scroll.
    QRect backgroundRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    QImage m_picture;
};
