#pragma once
// The accuracy chart of the practice windows: accuracy in per cent against the
// attempts, runs or times seen, numbered from 1, the newest on the right; one line
// per series (the Koch course draws one per lesson).

#include <QPointF>
#include <QString>

#include <vector>

class QChartView;

namespace ui {

struct AccuracySeries {
    QString name;                  // shown in the legend when there are several
    std::vector<QPointF> points;   // x: 1-based number, y: per cent
};

// Replaces the chart of view (the old one is deleted). count: the highest x.
// emptyTitle: the chart's title while there are no points.
void showAccuracyChart(QChartView *view, const std::vector<AccuracySeries> &series, double count,
                       const QString &xTitle, const QString &yTitle, const QString &emptyTitle);

} // namespace ui
