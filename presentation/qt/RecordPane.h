#pragma once
// What a document window holds: the filter field, the record list and, when asked for,
// the timeline under it.

#include <QTimer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace tallowmark {

class TallowmarkView;
class TimelineChart;

class RecordPane : public QWidget {
    Q_OBJECT
public:
    explicit RecordPane(TallowmarkView* view, QWidget* parent = nullptr);

    QLineEdit* FilterField() const { return m_pFilterField; }
    QWidget* TimelineStrip() const { return m_pStrip; }
    TimelineChart* Chart() const { return m_pChart; }
    QComboBox* TimeBasisChoice() const { return m_pBasis; }
    // Refills the list for the field's text now instead of when typing pauses.
    void ApplyFilterNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowTimeline(bool shown);
    void RefreshTimeline();
    void OnBarClicked(int bar);

    TallowmarkView* m_pView;
    QLineEdit* m_pFilterField;
    QTimer m_refillTimer;
    QTimer m_timelineTimer;
    QWidget* m_pStrip;
    QComboBox* m_pBasis;
    QLabel* m_pNoDate;
    TimelineChart* m_pChart;
};

}  // namespace tallowmark
