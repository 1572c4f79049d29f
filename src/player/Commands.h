// The program's commands by id. Every surface that runs a command (menus, toolbar, the side
// panel's links, and the keyboard shortcuts, hotkeys, media keys, tray and mini window still
// to come) refers to these ids; the stable name is what stored files (the shortcut table)
// use, the label is the menu text. No widgets here.
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace kestrova {

enum class CommandId {
    // File
    OpenFile,
    OpenUrl,
    Favorites,
    ImportLrc,
    SaveDictationLrc,
    ExportCourseware,
    SaveDictationRtf,
    Print,
    PrintPreview,
    PrintSetup,
    MediaInfo,
    Exit,
    // Edit
    Undo,
    Cut,
    Copy,
    Paste,
    Delete,
    SelectAll,
    FormatFont,
    // View
    ViewToolBar,
    ViewDictationBar,
    ViewFormatBar,
    ViewControlBar,
    ViewStatusBar,
    ViewWaveform,
    PanelMain,
    PanelEffects,
    PanelRecord,
    MiniWindow,
    // Play
    PlayPause,
    Stop,
    Back,
    Forward,
    PrevFile,
    NextFile,
    OrderDefault,
    OrderRepeatOne,
    OrderRepeatList,
    OrderPlayOnce,
    OneKey,
    SetStart,
    SetEnd,
    MoveStartLeft,
    MoveEndRight,
    ClearRegion,
    BackToStart,
    AutoRepeat,
    PrevSentence,
    NextSentence,
    VolumeUp,
    VolumeDown,
    // Operate
    FreeDictation,
    SentenceDictation,
    HardSentenceDictation,
    Split,
    CancelSplit,
    SplitSettings,
    MergeUp,
    MergeDown,
    DictationHint,
    // Tools
    AddRadio,
    Notes,
    FullText,
    Alarms,
    Options,
    // Help
    Help,
    Website,
    Mail,
    About,
    // Not in a menu: the side panel's resource-download link, and the control bar's own
    // transport buttons.
    Download,
    Play,
    Pause,
    Mute,
    // The sound-effects panel's tempo: up and down by a step, and back to normal.
    SpeedUp,
    SlowDown,
    NormalSpeed,
    // Commands of the shortcut set without a menu item.
    MinimizeRestore,
    SaveRegion,
};

struct CommandInfo {
    CommandId id;
    const char* name;     // stable, ASCII
    const char* label;    // the menu text (UTF-8)
    const char* shortcut; // the key the menu shows ("" for none)
    const char* tip;      // a tooltip of its own ("" for none)
};

// Every command, in the order of the ids.
const std::vector<CommandInfo>& AllCommands();
const CommandInfo& Command(CommandId id);
QString CommandLabel(CommandId id);
std::optional<CommandId> CommandByName(const QString& name);

} // namespace kestrova
