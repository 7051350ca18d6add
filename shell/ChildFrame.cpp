#include "shell/ChildFrame.h"

#include "presentation/TallowmarkView.h"

namespace tallowmark {

ChildFrame::ChildFrame(TallowmarkView* view, QWidget* parent) : QMdiSubWindow(parent), m_pView(view) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    setWindowIcon(QIcon());
}

}  // namespace tallowmark
