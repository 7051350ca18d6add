#include "shell/ToolbarPictures.h"

#include <algorithm>
#include <array>

#include "shell/CommandIds.h"

namespace tallowmark {

namespace {
constexpr std::array<ToolbarPicture, 7> kPictures = {{
    {cmd::FileOpen, "document-open"},
    {cmd::FileSaveAs, "document-save-as"},
    {cmd::EditCut, "edit-cut"},
    {cmd::EditCopy, "edit-copy"},
    {cmd::EditPaste, "edit-paste"},
    {cmd::AppAbout, "help-about"},
    {cmd::ContextHelp, "help-contextual"},
}};
}  // namespace

std::span<const ToolbarPicture> ToolbarPictures() { return kPictures; }

IconSet ChooseIconSet(const std::function<bool(std::string_view name)>& themeHas) {
    const bool everyOne =
        std::all_of(kPictures.begin(), kPictures.end(), [&](const ToolbarPicture& picture) { return themeHas(picture.name); });
    return everyOne ? IconSet::Theme : IconSet::Own;
}

}  // namespace tallowmark
