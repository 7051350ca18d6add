#include "shell/qt/CommandActions.h"

#include <QAction>
#include <QMenu>

#include "shell/CommandTable.h"

namespace tallowmark {

namespace {
QString Prompt(const CommandInfo& command) { return QString::fromLatin1(CommandPrompt(command).c_str()); }
}  // namespace

QAction* MakeCommandAction(int id, const QString& text, QObject* parent) {
    auto* action = new QAction(text, parent);
    action->setData(id);
    if (const CommandInfo* command = FindCommand(id)) {
        action->setStatusTip(Prompt(*command));
        action->setWhatsThis(action->statusTip());
        const std::string tip = CommandTooltip(*command);
        if (!tip.empty()) action->setToolTip(QString::fromLatin1(tip.c_str()).remove(QLatin1Char('&')));
        QList<QKeySequence> keys;
        for (const char* key : command->keys) keys.push_back(QKeySequence(QString::fromLatin1(key)));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(command->checkable);
    }
    if (id >= cmd::RecentFirst && id <= cmd::RecentLast) {
        action->setStatusTip(QStringLiteral("Open this document"));
        action->setWhatsThis(action->statusTip());
    }
    return action;
}

std::unique_ptr<QMenu> MakeRecordContextMenu(QWidget* parent, bool withCachedFile) {
    auto menu = std::make_unique<QMenu>(parent);
    for (const MenuItemInfo& item : RecordContextMenu()) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        if (!withCachedFile && (item.id == cmd::CachedFileDefault || item.id == cmd::CachedFileNotepad)) continue;
        QAction* action = menu->addAction(QString::fromLatin1(item.text));
        action->setData(item.id);
        if (const CommandInfo* command = FindCommand(item.id)) action->setStatusTip(Prompt(*command));
        if (item.id == cmd::EntryDetails) menu->setDefaultAction(action);  // shown in bold
    }
    return menu;
}

}  // namespace tallowmark
