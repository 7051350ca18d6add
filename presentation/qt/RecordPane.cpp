#include "presentation/qt/RecordPane.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "presentation/RecordCells.h"
#include "presentation/qt/TallowmarkView.h"
#include "presentation/qt/TimelineChart.h"

namespace tallowmark {

namespace {
// Typing goes on while the list waits: it is refilled once the keys pause this long.
constexpr int kRefillDelayMs = 150;
constexpr int kStripHeight = 86;
}  // namespace

RecordPane::RecordPane(TallowmarkView* view, QWidget* parent)
    : QWidget(parent),
      m_pView(view),
      m_pFilterField(new QLineEdit(this)),
      m_pStrip(new QWidget(this)),
      m_pBasis(new QComboBox(m_pStrip)),
      m_pNoDate(new QLabel(m_pStrip)),
      m_pChart(new TimelineChart(m_pStrip)) {
    m_pFilterField->setPlaceholderText(QStringLiteral("Filter records"));
    m_pFilterField->setClearButtonEnabled(true);
    m_pFilterField->setWhatsThis(QStringLiteral(
        "Keeps only the records whose URL, cache file name, cache directory or type contains this text, in any "
        "letter case. Terms before the text keep entries of a status or kind: status:deleted, status:live, "
        "status:unknown, kind:cookie, kind:history, kind:cache, ... (status:deleted kind:cookie amazon). Escape "
        "clears it."));
    m_pChart->setWhatsThis(QStringLiteral(
        "How many URL records fall in each day, week or month, by the date their row shows (a LEAK row shows "
        "none). Click a bar to show only its records; click it again to show all."));
    m_pFilterField->installEventFilter(this);
    m_pBasis->installEventFilter(this);
    m_refillTimer.setSingleShot(true);
    m_refillTimer.setInterval(kRefillDelayMs);
    connect(&m_refillTimer, &QTimer::timeout, this, &RecordPane::ApplyFilterNow);
    connect(m_pFilterField, &QLineEdit::textChanged, this, [this] { m_refillTimer.start(); });
    connect(m_pFilterField, &QLineEdit::returnPressed, this, &RecordPane::ApplyFilterNow);

    m_pBasis->addItem(QString::fromLatin1(kRecordColumns[kColumnAccessed].title));
    m_pBasis->addItem(QString::fromLatin1(kRecordColumns[kColumnModified].title));
    connect(m_pBasis, &QComboBox::currentIndexChanged, this, &RecordPane::RefreshTimeline);
    connect(m_pChart, &TimelineChart::BarClicked, this, &RecordPane::OnBarClicked);
    auto* choices = new QVBoxLayout;
    choices->addWidget(m_pBasis);
    choices->addWidget(m_pNoDate);
    choices->addStretch();
    auto* strip = new QHBoxLayout(m_pStrip);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->addLayout(choices);
    strip->addWidget(m_pChart, 1);
    m_pStrip->setFixedHeight(kStripHeight);
    m_pStrip->hide();

    view->setParent(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_pFilterField);
    layout->addWidget(view, 1);
    layout->addWidget(m_pStrip);
    setFocusProxy(view);

    connect(view, &TallowmarkView::FilterFocusRequested, this, [this] {
        m_pFilterField->setFocus(Qt::ShortcutFocusReason);
        m_pFilterField->selectAll();
    });
    connect(view, &TallowmarkView::TimelineShownChanged, this, &RecordPane::ShowTimeline);
    // The chart follows the list in the next turn of the event loop, so the rows show first.
    m_timelineTimer.setSingleShot(true);
    m_timelineTimer.setInterval(0);
    connect(&m_timelineTimer, &QTimer::timeout, this, &RecordPane::RefreshTimeline);
    connect(view, &TallowmarkView::RowsChanged, this, [this] {
        if (m_pStrip->isVisibleTo(this)) m_timelineTimer.start();
    });
}

void RecordPane::ApplyFilterNow() {
    m_refillTimer.stop();
    m_pView->SetFilterText(m_pFilterField->text());
}

bool RecordPane::eventFilter(QObject* watched, QEvent* event) {
    const bool keyEvent = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if ((watched != m_pFilterField && watched != m_pBasis) || !keyEvent) return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Enter belongs to the field here (it refills at once) and to the choice of times, not
    // to the Entry Details key.
    if (event->type() == QEvent::ShortcutOverride && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        event->accept();
        return true;
    }
    if (watched != m_pFilterField) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && key == Qt::Key_Escape) {
        m_pFilterField->clear();
        ApplyFilterNow();
        m_pView->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void RecordPane::ShowTimeline(bool shown) {
    m_pStrip->setVisible(shown);
    if (shown) RefreshTimeline();
}

void RecordPane::RefreshTimeline() {
    m_timelineTimer.stop();
    const TimeBasis basis = m_pBasis->currentIndex() == 1 ? TimeBasis::Modified : TimeBasis::Accessed;
    TimelineDays days = m_pView->TimelineData(basis);
    m_pNoDate->setText(QStringLiteral("No date: %1").arg(days.noDate));
    m_pChart->SetDays(std::move(days));
    m_pChart->SetChosenPeriod(m_pView->Filter().Period());
}

void RecordPane::OnBarClicked(int bar) {
    const Timeline& bars = m_pChart->Bars();
    if (bar < 0 || static_cast<std::size_t>(bar) >= bars.periods.size()) return;
    const std::string field =
        ToggledPeriodTerm(m_pFilterField->text().toStdString(), bars.periods[static_cast<std::size_t>(bar)]);
    m_pFilterField->setText(QString::fromStdString(field));
    ApplyFilterNow();
}

}  // namespace tallowmark
