#include "shell/qt/DocumentCommands.h"

#include <QApplication>
#include <QFileInfo>
#include <QUrl>

#include "actions/CachedFile.h"
#include "actions/DeleteOnRestart.h"
#include "actions/qt/FilePropertiesGeneral.h"
#include "model/ContainerFacts.h"
#include "platform/NativePath.h"
#include "presentation/CsvExport.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/CommandIds.h"
#include "shell/qt/DocumentManager.h"
#include "shell/qt/UserPrompts.h"

namespace tallowmark {

namespace {
constexpr const char* kSaveAsFilter = "Index Files (*.dat)";
constexpr const char* kExportFilter = "CSV Files (*.csv);;Text Files (*.txt);;All Files (*)";

// The absolute path of a file the user chose to write, as the system spells it.
std::string ChosenTarget(const QString& path) {
    return NativeSeparators(QFileInfo(path).absoluteFilePath().toStdString());
}
}  // namespace

bool DocumentCommands::OnCommand(int id) {
    switch (id) {
        case cmd::FileClose: m_documents.CloseDocument(m_view.GetDocument()); return true;
        case cmd::FileSaveAs: OnFileSaveAs(); return true;
        case cmd::Export: OnExport(); return true;
        case cmd::DeleteOnRestart: OnDeleteOnRestart(); return true;
        case cmd::FileProperties: OnFileProperties(); return true;
        case cmd::CachedFileDefault: OnOpenCachedFile(false); return true;
        case cmd::CachedFileNotepad: OnOpenCachedFile(true); return true;
        default: return false;
    }
}

std::optional<CommandState> DocumentCommands::OnUpdateCommand(int id) {
    switch (id) {
        case cmd::FileClose:
        case cmd::FileSaveAs:
        case cmd::Export:
        case cmd::FileProperties: return CommandState{};
        case cmd::DeleteOnRestart: {
            // Asked of the system afresh each time: another program may have changed it.
            const bool scheduled =
                IsDeleteOnRestartScheduled(m_view.GetDocument().PathName(), m_documents.Services().bootDeletionRoot);
            return CommandState{!scheduled, scheduled};
        }
        case cmd::CachedFileDefault:
        case cmd::CachedFileNotepad: return CommandState{!CachedFilePath().empty(), std::nullopt};
        default: return std::nullopt;
    }
}

void DocumentCommands::OnFileSaveAs() {
    TallowmarkDoc& document = m_view.GetDocument();
    UserPrompts& prompts = m_documents.Services().prompts;
    const QFileInfo original(QString::fromStdString(document.PathName()));
    const QString path = prompts.AskSavePath(m_view.window(), QString::fromLatin1(kSaveAsFilter), QStringLiteral("dat"),
                                             original.absolutePath(), original.fileName());
    if (path.isEmpty()) return;
    // The file of an open document is evidence: never written over, by a name or a link.
    const std::string target = ChosenTarget(path);
    const std::vector<std::string> openFiles = m_documents.OpenDocumentPaths();
    if (const Outcome refused = RefuseOpenDocumentFile(target, openFiles); !refused) {
        prompts.Message(m_view.window(), UserPrompts::Icon::Critical, QString::fromStdString(refused.message));
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Outcome saved = document.SaveAs(target, openFiles);
    QApplication::restoreOverrideCursor();
    if (!saved) {
        prompts.Message(m_view.window(), UserPrompts::Icon::Warning, QString::fromStdString(saved.message));
        return;
    }
    m_documents.DocumentRenamed(document);
    // The copy's SHA-256, which is the original's: what an examiner notes beside it.
    emit m_documents.StatusMessage(QString::fromStdString(saved.message));
}

void DocumentCommands::OnExport() {
    const TallowmarkDoc& document = m_view.GetDocument();
    UserPrompts& prompts = m_documents.Services().prompts;
    const QFileInfo file(QString::fromStdString(document.PathName()));
    const QString path = prompts.AskSavePath(m_view.window(), QString::fromLatin1(kExportFilter), QStringLiteral("csv"),
                                             file.absolutePath(), file.completeBaseName() + ".csv");
    if (path.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Export writes what the list shows; with no filter, exactly the classic export. Never
    // onto the file of an open document, by a name or a link.
    const std::string target = ChosenTarget(path);
    const std::vector<std::string> openFiles = m_documents.OpenDocumentPaths();
    const Outcome written = ExportCsv(target, document, m_view.Options(), m_view.Filter(), openFiles);
    QApplication::restoreOverrideCursor();
    if (!written)
        prompts.Message(m_view.window(), UserPrompts::Icon::Critical, QString::fromStdString(written.message));
}

void DocumentCommands::OnDeleteOnRestart() {
    const TallowmarkDoc& document = m_view.GetDocument();
    const std::string refused =
        ScheduleDeleteOnRestart(document.PathName(), document.Identity(), m_documents.Services().bootDeletionRoot);
    if (!refused.empty())
        m_documents.Services().prompts.Message(m_view.window(), UserPrompts::Icon::Critical,
                                               QString::fromStdString(refused));
}

void DocumentCommands::OnFileProperties() {
    const TallowmarkDoc& document = m_view.GetDocument();
    FilePropertiesSheet sheet(PropertiesOf(document), ContainerFactsText(ContainerFactsOf(document)), m_view.window());
    m_documents.Services().prompts.RunModal(sheet);
}

std::string DocumentCommands::CachedFilePath() const {
    const std::optional<IndexRecord> record = m_view.CurrentRecord();
    return record ? tallowmark::CachedFilePath(*record, m_view.GetDocument().PathName()) : std::string();
}

void DocumentCommands::OnOpenCachedFile(bool inTextEditor) {
    const std::string path = CachedFilePath();
    if (path.empty()) return;
    if (inTextEditor) m_documents.OpenInTextEditor(QString::fromStdString(path));
    else
        m_documents.OpenWithDefaultApplication(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace tallowmark
