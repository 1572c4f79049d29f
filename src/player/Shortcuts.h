// The learner's key combinations: one `ACCEL_ITEM` per command of the shortcut set, kept in
// `Shortcut.dat` beside the program (`sc.dat` is the factory set), one record a line:
// name id, command, key, modifiers, key text, system-hotkey flag, extra text, separated by
// single spaces. Key texts with spaces ("Page Up", "Num 1") are read back whole by matching
// them against the key names. Also the key-name table with its virtual-key codes and their
// Qt keys. No widgets.
#pragma once

#include "player/Commands.h"

#include <QKeySequence>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace kestrova {

struct ACCEL_ITEM {
    std::uint16_t nameId = 0;
    std::uint8_t modifiers = 0; // 1 virtual key, 4 Shift, 8 Ctrl, 16 Alt
    std::uint16_t key = 0;      // virtual-key code
    std::uint16_t command = 0;
    QString keyText;
    bool systemHotkey = false;
    QString extraText;
    bool operator==(const ACCEL_ITEM&) const = default;
};
using AccelItems = std::vector<ACCEL_ITEM>;

namespace shortcuts {

constexpr std::uint8_t kVirtualKey = 1;
constexpr std::uint8_t kShift = 4;
constexpr std::uint8_t kCtrl = 8;
constexpr std::uint8_t kAlt = 16;

// A command of the shortcut set: its name text (a trailing tab where the key text goes on
// menus), its name id, and the command it runs. The file's command number of each is fixed
// by its name id (0 for a command outside the set).
struct Entry {
    std::uint16_t nameId;
    const char* name;
    CommandId command;
};
const std::vector<Entry>& Set();
std::optional<CommandId> CommandOf(std::uint16_t commandNumber);
std::uint16_t CommandNumber(CommandId id);
const Entry* EntryOf(std::uint16_t nameId);

// The key names offered for a combination, in list order, with their virtual-key codes.
struct KeyName {
    const char* name;
    std::uint16_t code;
};
const std::vector<KeyName>& KeyNames();
// The Qt key of a virtual-key code (0 when there is none).
int QtKey(std::uint16_t code);
// The combination of a record as Qt sees it (empty when its key has no Qt key).
QKeySequence Sequence(const ACCEL_ITEM& item);
// The key text of a combination: "Ctrl+", "Alt+", "Shift+" in that order, then the key's
// name.
QString KeyText(std::uint8_t modifiers, std::uint16_t code);

// The shortcut page's "设置": a new version of `item` with the modifiers checked, the key of
// the key list's entry `keyIndex` and the system-hotkey choice (key text "Ctrl+", "Alt+",
// "Shift+" in that order, then the key's name).
ACCEL_ITEM WithKeys(ACCEL_ITEM item, bool ctrl, bool alt, bool shift, int keyIndex,
                    bool systemHotkey);
// Replaces the records of `table` that have the name ids of `edited` (the page's OK).
void Replace(AccelItems& table, const AccelItems& edited);

// One line of the file; a line with fewer fields leaves the rest zero or empty. Nothing
// for a line without a number in front.
std::optional<ACCEL_ITEM> ParseLine(const QString& line);
QString FormatLine(const ACCEL_ITEM& item);
// Reads a file (created empty when missing), and writes one whole and atomically.
AccelItems Load(const QString& path);
bool Save(const QString& path, const AccelItems& items);

} // namespace shortcuts
} // namespace kestrova
