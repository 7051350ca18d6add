#pragma once
// The commands of the document a window shows: Close, Save As, Export, Export Timeline,
// Delete on Restart, Properties, and opening the current entry's cached copy. The second
// link of the route.

#include <string>

#include "shell/CommandTarget.h"

namespace tallowmark {

class DocumentManager;
class TallowmarkView;

class DocumentCommands : public CommandTarget {
public:
    // `view` is the window the commands came from: Export writes what it shows, the
    // cached-file commands act on its current entry.
    DocumentCommands(TallowmarkView& view, DocumentManager& documents) : m_view(view), m_documents(documents) {}

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) override;

    // The cached copy of the current entry, asked of the disk afresh; empty when there is
    // none, and for a document read from a disk image.
    std::string CachedFilePath() const;
    // Whether the current entry has a cached copy to open: on the disk, or for a document
    // read from an image, one it names (read out of the image when the command runs).
    bool HasCachedFile() const;

private:
    void OnFileSaveAs();
    void OnExport();
    void OnExportTimeline();
    void OnDeleteOnRestart();
    void OnFileProperties();
    void OnOpenCachedFile(bool inTextEditor);

    TallowmarkView& m_view;
    DocumentManager& m_documents;
};

}  // namespace tallowmark
