#pragma once
// The window around one view of a document, with the commands of its view and document.

#include <QMdiSubWindow>
#include <memory>

#include "shell/CommandTarget.h"

namespace tallowmark {

class DocumentCommands;
class TallowmarkView;
class ViewCommands;

class ChildFrame : public QMdiSubWindow, public CommandTarget {
    Q_OBJECT
public:
    ChildFrame(TallowmarkView* view, std::unique_ptr<ViewCommands> viewCommands,
               std::unique_ptr<DocumentCommands> documentCommands, QWidget* parent = nullptr);
    ~ChildFrame() override;

    TallowmarkView* View() const { return m_pView; }
    ViewCommands& ViewTarget() const { return *m_pViewCommands; }
    DocumentCommands& DocumentTarget() const { return *m_pDocumentCommands; }

    // The frame's own link of the route: no command of ours is the frame's alone.
    bool OnCommand(int) override { return false; }
    std::optional<CommandState> OnUpdateCommand(int) override { return std::nullopt; }

private:
    TallowmarkView* m_pView;
    std::unique_ptr<ViewCommands> m_pViewCommands;
    std::unique_ptr<DocumentCommands> m_pDocumentCommands;
};

}  // namespace tallowmark
