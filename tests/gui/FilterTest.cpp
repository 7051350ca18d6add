#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>

#include "GuiTestSupport.h"
#include "presentation/CsvExport.h"
#include "presentation/RecordFilter.h"
#include "presentation/qt/RecordPane.h"
#include "presentation/qt/RecordTableModel.h"
#include "presentation/qt/TallowmarkView.h"
#include "presentation/qt/TimelineChart.h"
#include "shell/qt/ChildFrame.h"
#include "shell/CommandIds.h"
#include "support/IndexFileBuilder.h"
#include "support/TimeZoneScope.h"

namespace tallowmark::gui_testing {
namespace {

using testing::FileTimeOf;
using testing::IndexFileBuilder;

std::vector<std::uint8_t> DatedIndex() {
    IndexFileBuilder builder;
    builder.Hash(1);
    builder.Url({.url = "http://news.example/1", .accessed = FileTimeOf(2008, 3, 5, 10), .fileName = "one.htm"});
    builder.Url({.url = "http://mail.example/2", .accessed = FileTimeOf(2008, 3, 7, 10), .fileName = "two.htm"});
    builder.Blank();
    builder.Leak({.url = "http://news.example/leak", .accessed = FileTimeOf(2008, 3, 7, 11)});
    builder.Redirect("http://news.example/r");
    return builder.Bytes();
}

class FilterTest : public GuiTest {
protected:
    testing::TimeZoneScope m_zone{"UTC0"};

    TallowmarkView* Open() {
        FileOpen(WriteIndex("index.dat", DatedIndex()));
        Frame().activateWindow();
        return Frame().ActiveView();
    }
    RecordPane* Pane() { return static_cast<RecordPane*>(Frame().ActiveChild()->widget()); }
    QString CountPane() { return Frame().statusBar()->findChild<QLabel*>(QStringLiteral("RecordCount"))->text(); }
    std::vector<std::uint32_t> Numbers(TallowmarkView* view) {
        std::vector<std::uint32_t> numbers;
        for (std::uint32_t row : view->Model().Rows()) numbers.push_back(view->GetDocument().Record(row).RecordNumber());
        return numbers;
    }
    bool Enabled(int id) {
        Frame().UpdateCommandUi();
        return Frame().Action(id)->isEnabled();
    }
};

TEST_F(FilterTest, CtrlFFocusesTheFieldTypingFiltersOncePausedAndEscapeClears) {
    TallowmarkView* view = Open();
    QLineEdit* field = Pane()->FilterField();
    EXPECT_EQ(field->placeholderText(), "Filter records");
    EXPECT_EQ(CountPane(), "6 records");
    view->setCurrentIndex(view->model()->index(5, 0));  // the redirect
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), field);

    QTest::keyClicks(field, "NEWS.ex");
    EXPECT_EQ(view->Model().rowCount(), 6);  // typing does not wait for a refill
    QTRY_COMPARE(view->Model().rowCount(), 3);
    EXPECT_EQ(Numbers(view), (std::vector<std::uint32_t>{1, 4, 5}));
    EXPECT_EQ(CountPane(), "3 of 6 records");
    QTest::keyClicks(field, "ample/r");
    QTest::keyClick(field, Qt::Key_Return);  // refills at once, and shows no entry details
    EXPECT_EQ(Numbers(view), (std::vector<std::uint32_t>{5}));
    EXPECT_EQ(view->SelectionMark(), 0);
    EXPECT_TRUE(Prompts().messages.empty());

    QTest::keyClick(view, Qt::Key_B, Qt::ControlModifier);  // the options still apply
    EXPECT_EQ(CountPane(), "1 of 6 records");
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), view);
    EXPECT_EQ(Numbers(view), (std::vector<std::uint32_t>{0, 1, 2, 4, 5}));
    EXPECT_EQ(CountPane(), "5 of 6 records");
}

TEST_F(FilterTest, FilteringKeepsTheSortAndTheSelectionOnItsRecords) {
    TallowmarkView* view = Open();
    emit view->horizontalHeader()->sectionClicked(2);               // Data ascending
    const QModelIndex news = view->model()->index(3, 0);  // http://news.example/1
    ASSERT_EQ(view->Model().RecordAt(3)->RecordNumber(), 1u);
    view->selectionModel()->setCurrentIndex(news, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->SetFilterText("news");
    EXPECT_EQ(Numbers(view), (std::vector<std::uint32_t>{1, 4, 5}));
    EXPECT_EQ(view->CurrentRecord()->RecordNumber(), 1u);
    view->SetFilterText("mail");  // its record leaves: no selection, Copy is disabled
    EXPECT_FALSE(Enabled(cmd::EditCopy));
    view->SetFilterText("");
    EXPECT_EQ(Numbers(view), (std::vector<std::uint32_t>{0, 3, 2, 1, 4, 5}));
}

TEST_F(FilterTest, CopyPutsTheSelectedRowsOnTheClipboardAndIsEnabledOnlyWithASelection) {
    TallowmarkView* view = Open();
    for (int id : {cmd::EditCopy, cmd::EditUndo, cmd::EditCut, cmd::EditPaste}) EXPECT_FALSE(Enabled(id)) << id;
    emit view->horizontalHeader()->sectionClicked(0);  // descending: the list's order, not the file's
    view->setFocus();
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    view->SetFilterText("example/");
    EXPECT_TRUE(Enabled(cmd::EditCopy));
    for (int id : {cmd::EditUndo, cmd::EditCut, cmd::EditPaste}) EXPECT_FALSE(Enabled(id)) << id;

    QApplication::clipboard()->clear();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QString titles = "No.\tType\tData\tSize\tModified Date\tAccessed Date\tCache Dir\tFilename\n";
    const QString expected = titles +
                             "6\tREDR\thttp://news.example/r\t128\t\t\t\t\n"
                             "5\tLEAK\thttp://news.example/leak\t256\t\t\t\t\n"
                             "3\tURL\thttp://mail.example/2\t256\t01 Jan 1970, 00:00\t07 Mar 2008, 10:00\t\ttwo.htm\n"
                             "2\tURL\thttp://news.example/1\t256\t01 Jan 1970, 00:00\t05 Mar 2008, 10:00\t\tone.htm\n";
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
    QApplication::clipboard()->clear();
    QTest::keyClick(view, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), expected);

    // Moved columns are copied as shown.
    view->horizontalHeader()->moveSection(2, 0);
    Frame().RouteCommand(cmd::EditCopy);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("Data\tNo.\tType\t"));
}

TEST_F(FilterTest, ExportWritesWhatTheFilteredListShows) {
    TallowmarkView* view = Open();
    view->SetFilterText("NEWS");
    const QString out = QString::fromStdString(m_files.Path("out.csv"));
    Prompts().answers.push_back(out);
    Frame().RouteCommand(cmd::Export);
    const auto written = testing::ReadFile(out.toStdString());
    const std::string text(written.begin(), written.end());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_NE(text.find("\n1,\"URL\",\"http://news.example/1\""), std::string::npos);
    EXPECT_EQ(text.find("mail.example"), std::string::npos);
}

// Export Timeline writes the kept records in the format chosen; for a time on the source
// machine's clock it asks that machine's zone first, and Cancel there writes nothing.
TEST_F(FilterTest, ExportTimelineWritesTheKeptRecordsAndAsksTheSourceZoneWhenNeeded) {
    TallowmarkView* view = Open();
    view->SetFilterText("NEWS");
    const QString out = QString::fromStdString(m_files.Path("out.csv"));
    Prompts().answers.push_back(out);
    Prompts().chosenFilter = QStringLiteral("CSV (*.csv)");
    Frame().RouteCommand(cmd::ExportTimeline);
    const auto written = testing::ReadFile(out.toStdString());
    const std::string text(written.begin(), written.end());
    EXPECT_TRUE(text.starts_with("source,")) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_EQ(text.find("mail.example"), std::string::npos);
    EXPECT_TRUE(Prompts().questions.empty());
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Exported 3 records to " + out);

    IndexFileBuilder daily;
    daily.Hash(2).Url({.url = ":2013031020130311: ann@http://www.example.com/",
                       .modified = FileTimeOf(2013, 3, 10, 10, 38, 51),
                       .accessed = FileTimeOf(2013, 3, 10, 9, 38, 51)});
    FileOpen(WriteIndex("daily.dat", daily.Bytes()));
    const QString lines = QString::fromStdString(m_files.Path("daily.jsonl"));
    Prompts().answers.push_back(lines);
    Frame().RouteCommand(cmd::ExportTimeline);  // Cancel at the zone
    EXPECT_EQ(Prompts().questions.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(lines));
    Prompts().answers.push_back(lines);
    Prompts().textAnswers = {QStringLiteral("Nowhere/Atlantis")};
    Frame().RouteCommand(cmd::ExportTimeline);
    ASSERT_EQ(Prompts().messages.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(lines));
    Prompts().answers.push_back(lines);
    Prompts().textAnswers = {QStringLiteral("+01:00")};
    Frame().RouteCommand(cmd::ExportTimeline);
    const auto zoned = testing::ReadFile(lines.toStdString());
    EXPECT_NE(std::string(zoned.begin(), zoned.end()).find("\"modified\":\"2013-03-10T09:38:51.0000000Z\""), std::string::npos);
    // Left empty, the times are written as they are kept, and the status line says so.
    Prompts().answers.push_back(lines);
    Prompts().textAnswers = {QString()};
    Frame().RouteCommand(cmd::ExportTimeline);
    EXPECT_EQ(Frame().statusBar()->currentMessage(),
              "Exported 1 record to " + lines + "; 1 time left on the source's wall clock, for want of its zone");
}

TEST_F(FilterTest, ClickingATimelineBarFiltersToItsPeriodAndASecondClickClears) {
    TallowmarkView* view = Open();
    EXPECT_FALSE(Enabled(cmd::ViewTimeline) && Frame().Action(cmd::ViewTimeline)->isChecked());
    EXPECT_FALSE(Pane()->TimelineStrip()->isVisible());
    Frame().RouteCommand(cmd::ViewTimeline);
    Frame().UpdateCommandUi();
    EXPECT_TRUE(Frame().Action(cmd::ViewTimeline)->isChecked());
    ASSERT_TRUE(Pane()->TimelineStrip()->isVisible());

    TimelineChart* chart = Pane()->Chart();
    ASSERT_EQ(chart->Bars().unit, PeriodUnit::Day);
    // A LEAK row shows no date: neither counted nor kept by its period.
    EXPECT_EQ(chart->Bars().counts, (std::vector<std::uint32_t>{1, 0, 1}));
    QTest::mouseClick(chart, Qt::LeftButton, {}, chart->BarRect(2).center());
    EXPECT_EQ(Pane()->FilterField()->text(), "accessed:2008-03-07");
    EXPECT_EQ(Numbers(view), (std::vector<std::uint32_t>{2}));
    EXPECT_EQ(chart->Bars().counts.size(), 3u);  // the chart keeps every bar

    QTest::mouseClick(chart, Qt::LeftButton, {}, chart->BarRect(2).center());
    EXPECT_TRUE(Pane()->FilterField()->text().isEmpty());
    EXPECT_EQ(view->Model().rowCount(), 6);

    Pane()->TimeBasisChoice()->setCurrentIndex(1);  // modified times: all unset, so no date
    EXPECT_TRUE(chart->Bars().counts.empty());
    EXPECT_EQ(chart->Bars().noDate, 2u);

    // Enter in the choice of times is the choice's, not the Entry Details key.
    view->setCurrentIndex(view->model()->index(1, 0));
    Pane()->TimeBasisChoice()->setFocus();
    QTest::keyClick(Pane()->TimeBasisChoice(), Qt::Key_Return);
    EXPECT_TRUE(Prompts().messages.empty());
}

// Finding one site in a real history file: filter by its host, select all, copy.
TEST_F(FilterTest, FindingASiteInARealHistoryFile) {
    const QString real = QStringLiteral(TALLOWMARK_FIXTURES_DIR "/history-ie5-index.dat");
    if (!QFileInfo::exists(real)) GTEST_SKIP() << "no real sample files here";
    FileOpen(real);
    Frame().activateWindow();
    Frame().ActiveChild()->showMaximized();
    TallowmarkView* view = Frame().ActiveView();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "bing.c");
    Pane()->ApplyFilterNow();
    ASSERT_GT(view->Model().rowCount(), 0);
    QStringList expected{"No.\tType\tData\tSize\tModified Date\tAccessed Date\tCache Dir\tFilename"};
    for (int row = 0; row < view->Model().rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < view->Model().columnCount(); ++column)
            cells << view->Model().index(row, column).data().toString();
        EXPECT_TRUE(cells[2].contains("bing.com")) << cells[2].toStdString();
        expected << cells.join('\t');
    }
    view->setFocus();
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), expected.join('\n') + '\n');

    Frame().RouteCommand(cmd::ViewTimeline);
    EXPECT_EQ(Pane()->Chart()->Bars().periods.size(), 1u);
    EXPECT_EQ(PeriodLabel(Pane()->Chart()->Bars().periods[0]), "25 Aug 2015");
    QCoreApplication::processEvents();
    Frame().grab().save(QStringLiteral(TALLOWMARK_SCREENSHOT_DIR "/filtered-history.png"));
}

}  // namespace
}  // namespace tallowmark::gui_testing
