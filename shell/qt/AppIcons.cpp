#include "shell/qt/AppIcons.h"

namespace tallowmark {

namespace {
QIcon IconInSizes(const QString& name) {
    QIcon icon;
    for (int size : {16, 32, 48, 256}) icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(name).arg(size));
    return icon;
}
}  // namespace

QIcon ApplicationIcon() { return IconInSizes(QStringLiteral("tallowmark")); }
QIcon DocumentIcon() { return IconInSizes(QStringLiteral("index-document")); }

}  // namespace tallowmark
