#include "shell/qt/DocumentCommands.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

#include "actions/CachedFile.h"
#include "actions/DeleteOnRestart.h"
#include "actions/qt/FilePropertiesGeneral.h"
#include "forensic/DocumentTimeline.h"
#include "model/ContainerFacts.h"
#include "platform/NativePath.h"
#include "presentation/CsvExport.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/CommandIds.h"
#include "shell/qt/DocumentManager.h"
#include "shell/qt/UserPrompts.h"
#include "widgets/LocaleDigits.h"

namespace tallowmark {

namespace {
constexpr const char* kSaveAsFilter = "Index Files (*.dat)";
constexpr const char* kExportFilter = "CSV Files (*.csv);;Text Files (*.txt);;All Files (*)";

// Where the dialogs for a file written from `document` start: beside its file, or beside
// the image it was read from, under the file's own name.
QFileInfo StartingPlace(const TallowmarkDoc& document) {
    if (const FileInImage* origin = document.Origin()) {
        const QString folder = QFileInfo(QString::fromStdString(origin->Place().image)).absolutePath();
        return QFileInfo(QDir(folder), QString::fromStdString(FileNameOf(origin->Place().path)));
    }
    return QFileInfo(QString::fromStdString(document.PathName()));
}

// The timeline's formats, as the save dialog offers them, the first the default.
struct TimelineChoice {
    const char* filter;
    const char* format;  // its name for tallowmark-cli timeline --format
};
constexpr TimelineChoice kTimelineChoices[] = {
    {"JSON Lines (*.jsonl)", "jsonl"},
    {"CSV (*.csv)", "csv"},
    {"Body file for mactime (*.body)", "bodyfile"},
    {"Timesketch JSON Lines (*.jsonl)", "timesketch"},
};
constexpr const char* kSourceZoneKey = "Settings/SourceZone";  // the zone last named
constexpr const char* kSourceZonePrompt =
    "Some times of these records are kept on the clock of the machine the file came from. Name that machine's "
    "time zone (such as Europe/Amsterdam or +01:00) to write them as true times, or leave it empty to write them "
    "as they are kept.";

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
        case cmd::ExportTimeline: OnExportTimeline(); return true;
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
        case cmd::ExportTimeline:
        case cmd::FileProperties: return CommandState{};
        case cmd::DeleteOnRestart: {
            // A file inside a disk image is no file of this machine.
            if (m_view.GetDocument().Origin()) return CommandState{false, false};
            // Asked of the system afresh each time: another program may have changed it.
            const bool scheduled =
                IsDeleteOnRestartScheduled(m_view.GetDocument().PathName(), m_documents.Services().bootDeletionRoot);
            return CommandState{!scheduled, scheduled};
        }
        case cmd::CachedFileDefault:
        case cmd::CachedFileNotepad: return CommandState{HasCachedFile(), std::nullopt};
        default: return std::nullopt;
    }
}

void DocumentCommands::OnFileSaveAs() {
    TallowmarkDoc& document = m_view.GetDocument();
    UserPrompts& prompts = m_documents.Services().prompts;
    const QFileInfo original = StartingPlace(document);
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
    const QFileInfo file = StartingPlace(document);
    const QString path = prompts.AskSavePath(m_view.window(), QString::fromLatin1(kExportFilter), QStringLiteral("csv"),
                                             file.absolutePath(), file.completeBaseName() + ".csv");
    if (path.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Export writes what the list shows; with no filter, exactly the classic export. Never
    // onto the file of an open document, by a name or a link.
    const std::string target = ChosenTarget(path);
    const std::vector<std::string> openFiles = m_documents.OpenDocumentPaths();
    std::size_t rows = 0;
    const Outcome written = ExportCsv(target, document, m_view.Options(), m_view.Filter(), openFiles, &rows);
    QApplication::restoreOverrideCursor();
    if (!written) {
        prompts.Message(m_view.window(), UserPrompts::Icon::Critical, QString::fromStdString(written.message));
        return;
    }
    emit m_documents.StatusMessage(QString::fromStdString(ExportedText(rows, "row", target, LocaleDigits)));
}

// Writes the records the list shows, in file order, as tallowmark-cli timeline writes the
// file's; the source machine's zone is asked for when they hold times on its clock.
void DocumentCommands::OnExportTimeline() {
    const TallowmarkDoc& document = m_view.GetDocument();
    UserPrompts& prompts = m_documents.Services().prompts;
    QStringList filters;
    for (const TimelineChoice& choice : kTimelineChoices) filters << QString::fromLatin1(choice.filter);
    const QFileInfo file(QString::fromStdString(document.PathName()));
    QString chosen;
    const QString path = prompts.AskSavePath(m_view.window(), filters.join(QStringLiteral(";;")), QStringLiteral("jsonl"),
                                             file.absolutePath(), file.completeBaseName() + ".jsonl", &chosen);
    if (path.isEmpty()) return;
    TimelineOptions options;
    options.format = TimelineFormatNamed(kTimelineChoices[std::max<qsizetype>(filters.indexOf(chosen), 0)].format);

    const RowList& kept = m_view.Rows().Visible();
    if (HoldsWallClockTimes(document, kept)) {
        QSettings settings;
        const std::optional<QString> zone = prompts.AskText(m_view.window(), QString::fromLatin1(kSourceZonePrompt),
                                                            settings.value(QLatin1String(kSourceZoneKey)).toString());
        if (!zone) return;
        if (!zone->trimmed().isEmpty()) {
            std::string why;
            auto rules = ZoneRules::Named(zone->trimmed().toStdString(), ZoneRules::DatabaseFolders(), &why);
            if (!rules) {
                prompts.Message(m_view.window(), UserPrompts::Icon::Warning, QString::fromStdString(why));
                return;
            }
            options.sourceZone = std::make_shared<const ZoneRules>(std::move(*rules));
            settings.setValue(QLatin1String(kSourceZoneKey), zone->trimmed());
        }
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string target = ChosenTarget(path);
    DocumentTimeline written;
    const Outcome outcome = WriteUserFile(
        target, document.InputsWith(m_documents.OpenDocumentPaths()),
        [&](std::ostream& out) { written = WriteDocumentTimeline(out, document, kept, options); }, kMsgCannotWriteExport);
    QApplication::restoreOverrideCursor();
    if (!outcome) {
        prompts.Message(m_view.window(), UserPrompts::Icon::Critical, QString::fromStdString(outcome.message));
        return;
    }
    emit m_documents.StatusMessage(QString::fromStdString(TimelineExportedText(written, target, LocaleDigits)));
}

void DocumentCommands::OnDeleteOnRestart() {
    const TallowmarkDoc& document = m_view.GetDocument();
    if (document.Origin()) return;
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
    if (!record || m_view.GetDocument().Origin()) return {};
    return tallowmark::CachedFilePath(*record, m_view.GetDocument().PathName());
}

bool DocumentCommands::HasCachedFile() const {
    const TallowmarkDoc& document = m_view.GetDocument();
    if (!document.Origin()) return !CachedFilePath().empty();
    // Whether the image holds it is asked when the command runs, which says so if not.
    const std::optional<IndexRecord> record = m_view.CurrentRecord();
    return record && !CachedFilePathInImage(*record, document.Origin()->Place().path).empty();
}

void DocumentCommands::OnOpenCachedFile(bool inTextEditor) {
    std::string path = CachedFilePath();
    if (const std::optional<IndexRecord> record = m_view.CurrentRecord(); record && m_view.GetDocument().Origin()) {
        const CachedCopy copy = CopyCachedFileFromImage(*record, m_view.GetDocument(), m_documents.CachedCopiesFolder(),
                                                        m_documents.OpenDocumentPaths());
        if (!copy.outcome) {
            m_documents.Services().prompts.Message(m_view.window(), UserPrompts::Icon::Information,
                                                   QString::fromStdString(copy.outcome.message));
            return;
        }
        path = copy.path;
    }
    if (path.empty()) return;
    if (inTextEditor) m_documents.OpenInTextEditor(QString::fromStdString(path));
    else
        m_documents.OpenWithDefaultApplication(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace tallowmark
