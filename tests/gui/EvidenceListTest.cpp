#include <QFileInfo>
#include <QFont>
#include <QHeaderView>
#include <QSettings>
#include <QTest>

#include "GuiTestSupport.h"
#include "presentation/RecordCells.h"
#include "presentation/RecordTableModel.h"
#include "presentation/TallowmarkView.h"
#include "shell/ChildFrame.h"
#include "shell/CommandIds.h"

namespace tallowmark::gui_testing {
namespace {

class EvidenceListTest : public GuiTest {
protected:
    TallowmarkView* OpenReal(const char* name) {
        const QString path = QStringLiteral(TALLOWMARK_FIXTURES_DIR "/") + QString::fromLatin1(name);
        if (!QFileInfo::exists(path) || !FileOpen(path)) return nullptr;
        Frame().ActiveChild()->showMaximized();
        return Frame().ActiveView();
    }
    // The rows drawn as deleted: muted, in italics and marked in the "No." cell.
    static std::vector<int> DeletedRows(const TallowmarkView& view) {
        std::vector<int> rows;
        const QString mark = QString::fromUtf8(kDeletedMark);
        for (int row = 0; row < view.Model().rowCount(); ++row) {
            const QModelIndex number = view.Model().index(row, kColumnNumber);
            const bool marked = number.data().toString().startsWith(mark);
            const bool italic = number.data(Qt::FontRole).value<QFont>().italic();
            const bool muted = view.Model().index(row, kColumnData).data(Qt::ForegroundRole).isValid();
            EXPECT_EQ(marked, italic) << row;
            EXPECT_EQ(marked, muted) << row;
            if (marked) rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(EvidenceListTest, TheRealHistorysDeletedRowsAreDrawnApartUntilTurnedOff) {
    TallowmarkView* view = OpenReal("history-ie5-index.dat");
    if (!view) GTEST_SKIP() << "no real sample files here";
    const std::vector<int> deleted = DeletedRows(*view);
    ASSERT_EQ(deleted.size(), 2u);
    for (int row : deleted) EXPECT_EQ(view->Model().RecordAt(row)->Marks().Status(), RecordStatus::Deleted);
    EXPECT_EQ(view->CountText(), "55 records, 2 deleted");
    EXPECT_TRUE(view->Model().index(deleted[0], kColumnNumber).data(Qt::ToolTipRole).toString().contains("Deleted"));
    EXPECT_TRUE(Frame().Action(cmd::MarkDeletedRecords)->isChecked());
    QCoreApplication::processEvents();
    Frame().grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/deleted-history.png"));

    Frame().RouteCommand(cmd::MarkDeletedRecords);
    EXPECT_FALSE(Frame().Action(cmd::MarkDeletedRecords)->isChecked());
    EXPECT_TRUE(DeletedRows(*view).empty());
    EXPECT_EQ(view->CountText(), "55 records");
    Frame().RouteCommand(cmd::SaveSettingsAsDefaults);
    EXPECT_EQ(QSettings().value("Settings/MarkDeletedRecords").toInt(), 0);
    Frame().RouteCommand(cmd::WindowNew);
    EXPECT_TRUE(DeletedRows(*Frame().ActiveView()).empty());
}

}  // namespace
}  // namespace tallowmark::gui_testing
