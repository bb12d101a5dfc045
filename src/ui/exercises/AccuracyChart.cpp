#include "exercises/AccuracyChart.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace ui {

void showAccuracyChart(QChartView *view, const std::vector<AccuracySeries> &series, double count,
                       const QString &xTitle, const QString &yTitle, const QString &emptyTitle)
{
    auto *chart = new QChart;
    auto *x = new QValueAxis;
    x->setTitleText(xTitle);
    x->setLabelFormat(QStringLiteral("%d"));
    x->setRange(0.5, std::max(1.0, count) + 0.5);
    // Whole numbers, about ten of them along the axis.
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(1);
    x->setTickInterval(std::max(1.0, std::ceil(count / 10)));
    auto *y = new QValueAxis;
    y->setTitleText(yTitle);
    y->setRange(0, 100);
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTickCount(6);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    bool empty = true;
    for (const AccuracySeries &s : series) {
        auto *line = new QLineSeries;
        line->setName(s.name);
        line->setPointsVisible(true);
        QList<QPointF> points(s.points.begin(), s.points.end());
        line->replace(points);   // one call: a long history charts at once
        empty = empty && points.isEmpty();
        chart->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
    }
    chart->legend()->setVisible(series.size() > 1);
    if (empty)
        chart->setTitle(emptyTitle);
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
}

} // namespace ui
