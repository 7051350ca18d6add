#include "presentation/qt/TimelineChart.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace tallowmark {

namespace {
constexpr int kMinimumBarWidth = 4;   // pixels; the unit grows until the bars are this wide
constexpr int kMaximumBarWidth = 32;  // a few bars stay bars, centred, instead of filling the strip
constexpr int kLabelHeight = 16;
constexpr int kMargin = 4;
}  // namespace

TimelineChart::TimelineChart(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void TimelineChart::SetDays(TimelineDays days) {
    m_days = std::move(days);
    Regroup();
}

void TimelineChart::SetChosenPeriod(const std::optional<TimePeriod>& period) {
    m_chosen = period;
    update();
}

void TimelineChart::Regroup() {
    m_timeline = BuildTimeline(m_days, std::max(1, PlotArea().width() / kMinimumBarWidth));
    update();
}

QRect TimelineChart::PlotArea() const { return rect().adjusted(kMargin, kMargin, -kMargin, -kMargin - kLabelHeight); }

QRect TimelineChart::BarArea() const {
    const QRect area = PlotArea();
    const auto count = static_cast<long long>(m_timeline.periods.size());
    const int width = static_cast<int>(std::min<long long>(area.width(), count * kMaximumBarWidth));
    return QRect(area.left() + (area.width() - width) / 2, area.top(), width, area.height());
}

QRect TimelineChart::BarRect(int bar) const {
    const auto count = static_cast<int>(m_timeline.periods.size());
    if (bar < 0 || bar >= count) return {};
    const QRect area = BarArea();
    const int left = area.left() + static_cast<int>(static_cast<long long>(area.width()) * bar / count);
    const int right = area.left() + static_cast<int>(static_cast<long long>(area.width()) * (bar + 1) / count);
    return QRect(left, area.top(), std::max(1, right - left), area.height());
}

int TimelineChart::BarAt(int x) const {
    const QRect area = BarArea();
    const auto count = static_cast<long long>(m_timeline.periods.size());
    if (count == 0 || x < area.left() || x > area.right()) return -1;
    return static_cast<int>(std::min(count - 1, (x - area.left()) * count / std::max(1, area.width())));
}

bool TimelineChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int bar = BarAt(help->pos().x());
        if (bar >= 0)
            QToolTip::showText(help->globalPos(),
                               QString::fromStdString(BarTip(m_timeline, static_cast<std::size_t>(bar))), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void TimelineChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect area = PlotArea();
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.setPen(palette().color(QPalette::Text));
    if (m_timeline.periods.empty()) {
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("No dated records"));
        return;
    }
    const int chosen = m_chosen ? m_timeline.BarOf(*m_chosen) : -1;
    QColor bars = palette().color(QPalette::Highlight);
    if (chosen >= 0) bars.setAlpha(110);  // the chosen period stands out
    const double scale = static_cast<double>(area.height() - 2) / std::max<std::uint32_t>(1, m_timeline.highest);
    for (std::size_t i = 0; i < m_timeline.counts.size(); ++i) {
        if (m_timeline.counts[i] == 0) continue;
        QRect bar = BarRect(static_cast<int>(i));
        if (bar.width() >= 3) bar.setWidth(bar.width() - 1);  // a gap between wide bars
        const int height = std::max(1, static_cast<int>(m_timeline.counts[i] * scale));
        bar.setTop(area.bottom() - height + 1);
        painter.fillRect(bar, static_cast<int>(i) == chosen ? palette().color(QPalette::Highlight).darker(130) : bars);
    }

    const QRect labels(area.left(), area.bottom() + 2, area.width(), kLabelHeight);
    const QString first = QString::fromStdString(PeriodLabel(m_timeline.periods.front()));
    if (m_timeline.periods.size() == 1) {
        painter.drawText(labels, Qt::AlignHCenter | Qt::AlignVCenter, first);
    } else {
        painter.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, first);
        painter.drawText(labels, Qt::AlignRight | Qt::AlignVCenter,
                         QString::fromStdString(PeriodLabel(m_timeline.periods.back())));
    }
    painter.drawText(area, Qt::AlignTop | Qt::AlignLeft, QString::number(m_timeline.highest));
}

void TimelineChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Regroup();
}

void TimelineChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const int bar = BarAt(event->position().toPoint().x());
    if (bar >= 0) emit BarClicked(bar);
}

}  // namespace tallowmark
