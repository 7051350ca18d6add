#pragma once
// The window around one view of a document.

#include <QMdiSubWindow>

namespace tallowmark {

class TallowmarkView;

class ChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit ChildFrame(TallowmarkView* view, QWidget* parent = nullptr);
    TallowmarkView* View() const { return m_pView; }

private:
    TallowmarkView* m_pView;
};

}  // namespace tallowmark
