#pragma once
// The timeline's bar chart: one bar per day, week or month, drawn by hand because the
// data is a plain histogram.

#include <QWidget>
#include <optional>

#include "presentation/TimelineBars.h"

namespace tallowmark {

class TimelineChart : public QWidget {
    Q_OBJECT
public:
    explicit TimelineChart(QWidget* parent = nullptr);

    void SetDays(TimelineDays days);
    // The period the list is filtered to; its bar is drawn marked.
    void SetChosenPeriod(const std::optional<TimePeriod>& period);
    const Timeline& Bars() const { return m_timeline; }
    // The bar under the x coordinate, or -1.
    int BarAt(int x) const;
    QRect BarRect(int bar) const;

    QSize sizeHint() const override { return {400, 80}; }
    QSize minimumSizeHint() const override { return {100, 60}; }

signals:
    void BarClicked(int bar);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Regroup();
    QRect PlotArea() const;
    QRect BarArea() const;  // the part of the plot the bars take

    TimelineDays m_days;
    Timeline m_timeline;
    std::optional<TimePeriod> m_chosen;
};

}  // namespace tallowmark
