#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>
#include <QFont>
#include <QHeaderView>
#include <QSettings>
#include <QTest>

#include "GuiTestSupport.h"
#include "presentation/RecordCells.h"
#include "presentation/qt/RecordTableModel.h"
#include "presentation/qt/TallowmarkView.h"
#include "shell/qt/ChildFrame.h"
#include "shell/CommandIds.h"
#include "support/IndexFileBuilder.h"

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

// Chooses the extra column `title` from the header's menu, and gives the menu's items.
QStringList ChooseFromHeaderMenu(TallowmarkView& view, const QString& title) {
    QStringList items;
    QTimer::singleShot(0, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(popup, nullptr);
        for (QAction* action : popup->actions()) {
            items << action->text();
            if (action->text() == title) action->trigger();
        }
        popup->grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/header-menu.png"));
        popup->close();
    });
    emit view.horizontalHeader()->customContextMenuRequested(QPoint(5, 5));
    return items;
}

std::vector<QString> Column(const TallowmarkView& view, int section) {
    std::vector<QString> cells;
    for (int row = 0; row < view.Model().rowCount(); ++row)
        cells.push_back(view.Model().index(row, section).data().toString());
    return cells;
}

// An extra column chosen from the header sorts its numbers as numbers, is copied where it
// shows, takes part in the filter, and the choice is kept as a default.
TEST_F(EvidenceListTest, AnExtraColumnChosenFromTheHeaderSortsCopiesFiltersAndIsKept) {
    testing::IndexFileBuilder builder;
    for (std::uint32_t hits : {9u, 100u, 10u})
        builder.Url({.url = "http://site/" + std::to_string(hits * 7), .fields = {{0x54, hits}}});
    FileOpen(WriteIndex("index.dat", builder.Bytes()));
    TallowmarkView* view = Frame().ActiveView();
    const int dataWidth = view->horizontalHeader()->sectionSize(kColumnData);
    EXPECT_EQ(ChooseFromHeaderMenu(*view, "Hits"),
              (QStringList{"Status", "Kind", "User", "Page Title", "Hits", "Cached Size", "Expires", "Last Checked"}));
    ASSERT_EQ(view->Model().columnCount(), 9);
    EXPECT_EQ(view->Model().headerData(8, Qt::Horizontal, Qt::DisplayRole).toString(), "Hits");
    EXPECT_EQ(view->horizontalHeader()->sectionSize(kColumnData), dataWidth);
    view->OnColumnClick(8);
    EXPECT_EQ(Column(*view, 8), (std::vector<QString>{"9", "10", "100"}));
    view->setCurrentIndex(view->Model().index(1, 0));
    ChooseFromHeaderMenu(*view, "Status");  // before Hits, as the table has them
    EXPECT_EQ(view->SelectionMark(), 1);    // the selection stays
    EXPECT_EQ(view->Model().headerData(8, Qt::Horizontal, Qt::DisplayRole).toString(), "Status");
    EXPECT_EQ(Column(*view, 9), (std::vector<QString>{"9", "10", "100"}));  // still sorted

    view->horizontalHeader()->moveSection(view->horizontalHeader()->visualIndex(9), 0);  // Hits first
    view->selectAll();
    Frame().RouteCommand(cmd::EditCopy);
    const QStringList copied = QApplication::clipboard()->text().split('\n');
    EXPECT_TRUE(copied[0].startsWith("Hits\tNo.\tType\tData\t")) << copied[0].toStdString();
    EXPECT_TRUE(copied[0].endsWith("\tFilename\tStatus")) << copied[0].toStdString();
    EXPECT_TRUE(copied[1].startsWith("9\t1\tURL\t")) << copied[1].toStdString();
    view->SetFilterText("100");  // in the Hits column only
    EXPECT_EQ(Column(*view, 9), std::vector<QString>{"100"});
    view->SetFilterText("");

    Frame().RouteCommand(cmd::SaveSettingsAsDefaults);
    EXPECT_EQ(QSettings().value("Settings/ExtraColumns").toStringList(), (QStringList{"Status", "Hits"}));
    Restart();
    FileOpen(WriteIndex("again.dat", builder.Bytes()));
    EXPECT_EQ(Frame().ActiveView()->Model().columnCount(), 10);
    ChooseFromHeaderMenu(*Frame().ActiveView(), "Status");
    EXPECT_EQ(Frame().ActiveView()->Model().headerData(8, Qt::Horizontal, Qt::DisplayRole).toString(), "Hits");
}

// A selected row stays highlighted across the columns shown after it was selected, and a
// refill of the list (Ctrl+B) keeps it selected where its record remains.
TEST_F(EvidenceListTest, TheSelectionSpansEveryColumnAndOutlivesARefill) {
    testing::IndexFileBuilder builder;
    builder.Blank().Url({.url = "http://a/"}).Blank().Url({.url = "http://b/"});
    FileOpen(WriteIndex("index.dat", builder.Bytes()));
    TallowmarkView* view = Frame().ActiveView();
    view->setCurrentIndex(view->Model().index(3, 0));
    view->SetExtraColumn(kColumnStatus, true);
    view->SetExtraColumn(kColumnLastChecked, true);
    const int last = view->Model().columnCount() - 1;
    ASSERT_EQ(last, 9);
    EXPECT_TRUE(view->selectionModel()->isSelected(view->Model().index(3, last)));

    Frame().RouteCommand(cmd::ViewBlankRecords);
    ASSERT_EQ(view->Model().rowCount(), 2);
    EXPECT_EQ(view->SelectionMark(), 1);
    EXPECT_EQ(view->CurrentRecord()->UrlText(), "http://b/");
    EXPECT_TRUE(view->selectionModel()->isSelected(view->Model().index(1, last)));
}

}  // namespace
}  // namespace tallowmark::gui_testing
