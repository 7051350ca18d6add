#include "widgets/MessageBoxes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace tallowmark {

namespace {
const QString kCaption = QStringLiteral("Tallowmark");
}  // namespace

void ShowMessageBox(QWidget* parent, MessageIcon icon, const QString& text) {
    const auto qtIcon = icon == MessageIcon::Information ? QMessageBox::Information
                        : icon == MessageIcon::Warning   ? QMessageBox::Warning
                                                         : QMessageBox::Critical;
    QMessageBox box(qtIcon, kCaption, text, QMessageBox::Ok, parent);
    box.exec();
}

MessageAnswer AskYesNoCancelBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, kCaption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    parent);
    switch (box.exec()) {
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        default: return MessageAnswer::Cancel;
    }
}

std::unique_ptr<QDialog> MakeDetailsBox(QWidget* parent, const QString& text) {
    auto owner = std::make_unique<QDialog>(parent);
    QDialog& box = *owner;
    box.setWindowTitle(kCaption);
    auto* icon = new QLabel(&box);
    const int iconSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(box.style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto* body = new QPlainTextEdit(text, &box);
    body->setReadOnly(true);
    body->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    body->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    body->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);  // URLs have no blanks
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(body, 1);
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);

    // About 90 characters wide and as tall as the text, within the screen's free area.
    const QRect screen = (parent ? parent->screen() : box.screen())->availableGeometry();
    const QFontMetrics metrics = body->fontMetrics();
    const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 2;
    const int width = std::min(metrics.averageCharWidth() * 90 + iconSize + 60, screen.width() * 9 / 10);
    const int height = std::min(metrics.lineSpacing() * lines + 90, screen.height() * 8 / 10);
    box.resize(width, height);
    box.setMaximumSize(screen.size());
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    return owner;
}

void MessagePrompts::Message(QWidget* parent, Icon icon, const QString& text) { ShowMessageBox(parent, icon, text); }

void MessagePrompts::Details(QWidget* parent, const QString& text) { MakeDetailsBox(parent, text)->exec(); }

QString MessagePrompts::AskFolder(QWidget* parent, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, QString(), start);
}

}  // namespace tallowmark
