#include "shell/ChildFrame.h"

#include "presentation/RecordPane.h"
#include "presentation/TallowmarkView.h"
#include "shell/AppIcons.h"

namespace tallowmark {

ChildFrame::ChildFrame(TallowmarkView* view, QWidget* parent) : QMdiSubWindow(parent), m_pView(view) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(new RecordPane(view));
    setWindowIcon(DocumentIcon());
}

}  // namespace tallowmark
