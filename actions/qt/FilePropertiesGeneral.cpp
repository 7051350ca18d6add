#include "actions/qt/FilePropertiesGeneral.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "presentation/AnsiText.h"

namespace tallowmark {

FilePropertiesGeneral::FilePropertiesGeneral(const FilePropertiesFacts& facts, QWidget* parent) : QWidget(parent) {
    auto* form = new QFormLayout(this);
    form->setLabelAlignment(Qt::AlignLeft);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    AddRow("Name:", facts.name, "name");
    AddRow("Location:", facts.location, "location");
    AddRow("Version:", AnsiToUtf8(facts.version), "version");
    AddRow("Size:", facts.size, "size");
    AddRow("Number of records:", std::to_string(facts.records), "records");
    for (const auto& [label, value] : facts.inImage) AddRow(label, value, label);
}

void FilePropertiesGeneral::AddRow(const std::string& label, const std::string& value, const std::string& name) {
    auto* field = new QLineEdit(QString::fromStdString(value), this);
    field->setObjectName(QString::fromStdString(name));
    field->setReadOnly(true);
    field->setFrame(false);
    field->setCursorPosition(0);  // a long path shows its start
    // Blends into the page like a label while staying selectable.
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    // Wide enough for the whole value where the screen allows, so a long path can be read
    // without scrolling through it.
    const int wanted = fontMetrics().horizontalAdvance(field->text()) + 2 * fontMetrics().averageCharWidth();
    const int screenLimit = screen() ? screen()->availableGeometry().width() * 2 / 3 : wanted;
    field->setMinimumWidth(std::max(fontMetrics().averageCharWidth() * 40, std::min(wanted, screenLimit)));
    static_cast<QFormLayout*>(layout())->addRow(QString::fromStdString(label), field);
}

namespace {
QWidget* ContentsPage(const std::string& contents, QWidget* parent) {
    auto* text = new QPlainTextEdit(QString::fromStdString(AnsiToUtf8(contents)), parent);
    text->setObjectName(QStringLiteral("contents"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFrameShape(QFrame::NoFrame);
    text->setBackgroundVisible(false);
    text->viewport()->setAutoFillBackground(false);  // like the General page's fields
    // Tall enough for the usual file's facts without scrolling.
    const int lines = std::min(static_cast<int>(text->document()->blockCount()), 24);
    text->setMinimumHeight(text->fontMetrics().lineSpacing() * (lines + 1));
    return text;
}
}  // namespace

FilePropertiesSheet::FilePropertiesSheet(const FilePropertiesFacts& facts, const std::string& contents, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tallowmark"));  // a sheet with no caption of its own carries the program's
    auto* tabs = new QTabWidget(this);
    tabs->addTab(new FilePropertiesGeneral(facts, tabs), QStringLiteral("General"));
    tabs->addTab(ContentsPage(contents, tabs), QStringLiteral("Contents"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    setModal(true);
}

}  // namespace tallowmark
