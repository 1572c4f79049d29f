#include "MenuLayout.h"

#include "CommandRegistry.h"
#include "controls/Icons.h"

#include <QAction>
#include <QMenuBar>
#include <QToolBar>
#include <optional>
#include <vector>

namespace kestrova {

namespace {

// The menu bar: each menu's items by command id, with separators and submenus.
struct MenuEntry {
    enum Kind { Item, Separator, Submenu, EndSubmenu } kind;
    CommandId id = CommandId::OpenFile;
    const char* title = nullptr; // a submenu's
};
constexpr MenuEntry Item(CommandId id) {
    return {MenuEntry::Item, id, nullptr};
}
constexpr MenuEntry kSeparator{MenuEntry::Separator};
constexpr MenuEntry Submenu(const char* title) {
    return {MenuEntry::Submenu, CommandId::OpenFile, title};
}
constexpr MenuEntry kEndSubmenu{MenuEntry::EndSubmenu};
struct MenuDef {
    const char* title;
    std::vector<MenuEntry> entries;
};
using C = CommandId;
const std::vector<MenuDef> kMenus = {
    {"文件(&F)",
     {Item(C::OpenFile), Item(C::OpenUrl), Item(C::Favorites), Item(C::ImportLrc),
      Item(C::SaveDictationLrc), Item(C::ExportCourseware), Item(C::SaveDictationRtf), kSeparator,
      Item(C::Print), Item(C::PrintPreview), Item(C::PrintSetup), kSeparator, Item(C::MediaInfo),
      kSeparator, Item(C::Exit)}},
    {"编辑(&E)",
     {Item(C::Undo), kSeparator, Item(C::Cut), Item(C::Copy), Item(C::Paste), Item(C::Delete),
      kSeparator, Item(C::SelectAll), kSeparator, Item(C::FormatFont)}},
    {"视图(&V)",
     {Item(C::ViewToolBar), Item(C::ViewDictationBar), Item(C::ViewFormatBar),
      Item(C::ViewControlBar), Item(C::ViewStatusBar), Item(C::ViewWaveform), kSeparator,
      Submenu("任务窗格"), Item(C::PanelMain), Item(C::PanelEffects), Item(C::PanelRecord),
      kEndSubmenu, kSeparator, Item(C::MiniWindow)}},
    {"播放(&P)",
     {Item(C::PlayPause),
      Item(C::Stop),
      Item(C::Back),
      Item(C::Forward),
      kSeparator,
      Item(C::PrevFile),
      Item(C::NextFile),
      kSeparator,
      Submenu("播放顺序"),
      Item(C::OrderDefault),
      Item(C::OrderRepeatOne),
      Item(C::OrderRepeatList),
      Item(C::OrderPlayOnce),
      kEndSubmenu,
      kSeparator,
      Item(C::OneKey),
      Item(C::SetStart),
      Item(C::SetEnd),
      Item(C::MoveStartLeft),
      Item(C::MoveEndRight),
      Item(C::ClearRegion),
      Item(C::BackToStart),
      kSeparator,
      Item(C::AutoRepeat),
      Item(C::PrevSentence),
      Item(C::NextSentence),
      kSeparator,
      Submenu("音量(&L)"),
      Item(C::VolumeUp),
      Item(C::VolumeDown),
      kEndSubmenu}},
    {"操作(&O)",
     {Submenu("开始听写"), Item(C::FreeDictation), Item(C::SentenceDictation),
      Item(C::HardSentenceDictation), kEndSubmenu, kSeparator, Item(C::Split), Item(C::CancelSplit),
      Item(C::SplitSettings), kSeparator, Item(C::MergeUp), Item(C::MergeDown), kSeparator,
      Item(C::DictationHint)}},
    {"工具(&T)",
     {Item(C::AddRadio), kSeparator, Item(C::Notes), Item(C::FullText), Item(C::Alarms), kSeparator,
      Item(C::Options)}},
    {"帮助(&H)", {Item(C::Help), Item(C::Website), Item(C::Mail), kSeparator, Item(C::About)}},
};

} // namespace

MenuItemTexts BuildMenuBar(QMenuBar& bar, const CCommandRegistry& commands) {
    // Menu commands the toolbar does not carry, drawn from the same set.
    commands.Action(C::MiniWindow)->setIcon(AppIcon(QStringLiteral("mini-window")));
    commands.Action(C::OpenUrl)->setIcon(AppIcon(QStringLiteral("radio")));
    MenuItemTexts texts;
    for (const MenuDef& def : kMenus) {
        const QString title = QString::fromUtf8(def.title);
        QMenu* top = bar.addMenu(title);
        top->setToolTipsVisible(true); // the splitting commands have tooltips of their own
        QMenu* menu = top;
        QStringList items;
        for (const MenuEntry& e : def.entries) {
            switch (e.kind) {
            case MenuEntry::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Submenu:
                menu = top->addMenu(QString::fromUtf8(e.title));
                menu->setToolTipsVisible(true);
                items << QString::fromUtf8(e.title);
                break;
            case MenuEntry::EndSubmenu:
                menu = top;
                break;
            case MenuEntry::Item:
                QAction* a = commands.Action(e.id);
                menu->addAction(a);
                items << CommandLabel(e.id);
                break;
            }
        }
        texts.append({title, items});
    }
    AddEditingKeys(commands);
    return texts;
}

void AddEditingKeys(const CCommandRegistry& commands) {
    const std::pair<CommandId, QKeySequence> editKeys[] = {
        {CommandId::Copy, QKeySequence(Qt::CTRL | Qt::Key_Insert)},
        {CommandId::Cut, QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
        {CommandId::Paste, QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
        {CommandId::Undo, QKeySequence(Qt::ALT | Qt::Key_Backspace)}};
    for (const auto& [id, key] : editKeys) {
        QAction* a = commands.Action(id);
        QList<QKeySequence> keys = a->shortcuts();
        if (!keys.contains(key)) keys << key;
        a->setShortcuts(keys);
    }
}

void BuildToolBar(QToolBar& toolBar, const CCommandRegistry& commands) {
    toolBar.setIconSize(QSize(22, 22));
    toolBar.setToolButtonStyle(Qt::ToolButtonIconOnly);
    struct Button {
        std::optional<CommandId> action; // none: a separator
        const char* icon;
    };
    const Button buttons[] = {
        {CommandId::OpenFile, "open"},
        {CommandId::SaveDictationLrc, "save"},
        {CommandId::SaveDictationRtf, "save-text"},
        {CommandId::ImportLrc, "import"},
        {std::nullopt, nullptr},
        {CommandId::FreeDictation, "free-dictation"},
        {CommandId::SentenceDictation, "sentence-dictation"},
        {CommandId::Notes, "notes"},
        {std::nullopt, nullptr},
        {CommandId::Print, "print"},
        {CommandId::Options, "options"},
        {std::nullopt, nullptr},
        {CommandId::About, "about"},
    };
    for (const Button& b : buttons) {
        if (!b.action) {
            toolBar.addSeparator();
            continue;
        }
        QAction* a = commands.Action(*b.action);
        a->setIcon(AppIcon(QString::fromLatin1(b.icon)));
        a->setToolTip(CommandLabel(*b.action).remove("..."));
        toolBar.addAction(a);
    }
}

void BuildDictationBar(QToolBar& toolBar, const CCommandRegistry& commands) {
    toolBar.setObjectName(QStringLiteral("dictationBar"));
    toolBar.setWindowTitle(QString::fromUtf8("听写工具栏"));
    toolBar.setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (CommandId id :
         {CommandId::FreeDictation, CommandId::SentenceDictation, CommandId::HardSentenceDictation,
          CommandId::DictationHint, CommandId::SaveDictationLrc, CommandId::SaveDictationRtf})
        toolBar.addAction(commands.Action(id));
}

} // namespace kestrova
