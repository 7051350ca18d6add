#include "shell/qt/ChildFrame.h"

#include <QMenu>

#include "presentation/qt/RecordPane.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/qt/AppIcons.h"
#include "shell/qt/DocumentCommands.h"
#include "shell/qt/ViewCommands.h"

namespace tallowmark {

ChildFrame::ChildFrame(TallowmarkView* view, std::unique_ptr<ViewCommands> viewCommands,
                       std::unique_ptr<DocumentCommands> documentCommands, QWidget* parent)
    : QMdiSubWindow(parent),
      m_pView(view),
      m_pViewCommands(std::move(viewCommands)),
      m_pDocumentCommands(std::move(documentCommands)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(new RecordPane(view));
    setWindowIcon(DocumentIcon());
    // The system menu's items carry keys (Close: Ctrl+F4) that would clash with the same keys
    // in every other document window; the main window owns Ctrl+F4 and the menu keeps its texts.
    if (QMenu* menu = systemMenu())
        for (QAction* action : menu->actions()) action->setShortcutContext(Qt::WidgetShortcut);
}

ChildFrame::~ChildFrame() = default;

}  // namespace tallowmark
