#pragma once
// The command table's texts, keys and ticks on Qt's actions and menus.

#include <QString>
#include <memory>

class QAction;
class QMenu;
class QObject;
class QWidget;

namespace tallowmark {

// An action for command `id` showing `text`, with the table's status prompt, tooltip,
// keys and whether it shows a tick. It carries `id` as its data.
QAction* MakeCommandAction(int id, const QString& text, QObject* parent);
// The record list's context menu; the cached-file items only `withCachedFile`. Each item
// carries its command id as its data.
std::unique_ptr<QMenu> MakeRecordContextMenu(QWidget* parent, bool withCachedFile);

}  // namespace tallowmark
