#include "Shortcuts.h"

#include "common/StdioFileEx.h"
#include "common/Util.h"

#include <QFile>
#include <QStringList>
#include <algorithm>

namespace kestrova::shortcuts {

namespace {
// The command number the file stores for a command of the set: fixed by its name id, so
// that a stored table keeps its meaning whatever else the program's commands become.
constexpr std::uint16_t kCommandBase = 32668;
} // namespace

const std::vector<Entry>& Set() {
    using C = CommandId;
    static const std::vector<Entry> set = {
        {101, "上一首\t", C::PrevFile},
        {102, "下一首\t", C::NextFile},
        {103, "设置开始点\t", C::SetStart},
        {104, "设置结束点\t", C::SetEnd},
        {105, "左移开始点\t", C::MoveStartLeft},
        {106, "右移结束点\t", C::MoveEndRight},
        {107, "一键式选择复读区\t", C::OneKey},
        {108, "清除复读区\t", C::ClearRegion},
        {109, "保存复读区", C::SaveRegion},
        {110, "复读上一句\t", C::PrevSentence},
        {111, "复读下一句\t", C::NextSentence},
        {112, "自动逐句复读\t", C::AutoRepeat},
        {113, "自由听写模式\t", C::FreeDictation},
        {114, "智能听写模式\t", C::SentenceDictation},
        {115, "后退\t", C::Back},
        {116, "前进\t", C::Forward},
        {117, "播放/暂停\t", C::PlayPause},
        {118, "返回开始点\t", C::BackToStart},
        {119, "听写提示...\t", C::DictationHint},
        {120, "学习笔记...\t", C::Notes},
        {121, "最小化/还原窗口", C::MinimizeRestore},
        {122, "加快播放速度", C::SpeedUp},
        {123, "减慢播放速度", C::SlowDown},
        {124, "恢复播放速度", C::NormalSpeed},
        {125, "加大音量\t", C::VolumeUp},
        {126, "减小音量\t", C::VolumeDown},
        {127, "取消自动断句\t", C::CancelSplit},
        {128, "跟读对比\t", C::PanelRecord},
    };
    return set;
}

std::uint16_t CommandNumber(CommandId id) {
    for (const Entry& e : Set())
        if (e.command == id) return std::uint16_t(kCommandBase + e.nameId);
    return 0;
}

std::optional<CommandId> CommandOf(std::uint16_t number) {
    if (const Entry* e = EntryOf(std::uint16_t(number - kCommandBase))) return e->command;
    return std::nullopt;
}

const Entry* EntryOf(std::uint16_t nameId) {
    for (const Entry& e : Set())
        if (e.nameId == nameId) return &e;
    return nullptr;
}

const std::vector<KeyName>& KeyNames() {
    static const std::vector<KeyName> names = [] {
        std::vector<KeyName> list;
        static const char* const f[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                        "F7", "F8", "F9", "F10", "F11", "F12"};
        for (int i = 0; i < 12; ++i)
            list.push_back({f[i], std::uint16_t(112 + i)});
        static const char* const digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
        for (int i = 0; i < 10; ++i)
            list.push_back({digits[i], std::uint16_t(48 + i)});
        static const char* const num[] = {"Num 0", "Num 1", "Num 2", "Num 3", "Num 4",
                                          "Num 5", "Num 6", "Num 7", "Num 8", "Num 9"};
        for (int i = 0; i < 10; ++i)
            list.push_back({num[i], std::uint16_t(96 + i)});
        const KeyName rest[] = {
            {"Num *", 106},      {"Num +", 107}, {"Num -", 109},  {"Num Del", 110},
            {"Num /", 111},      {"`", 192},     {"-", 189},      {"=", 187},
            {"\\", 220},         {"]", 221},     {"[", 219},      {"'", 222},
            {";", 186},          {"/", 191},     {".", 190},      {",", 188},
            {"Backspace", 8},    {"Tab", 9},     {"Enter", 13},   {"Caps Lock", 20},
            {"Esc", 27},         {"Space", 32},  {"Page Up", 33}, {"Page Down", 34},
            {"End", 35},         {"Home", 36},   {"Left", 37},    {"Right", 39},
            {"Up", 38},          {"Down", 40},   {"Insert", 45},  {"Delete", 46},
            {"Scroll Lock", 145}};
        list.insert(list.end(), std::begin(rest), std::end(rest));
        static const char* const letters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                              "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                              "S", "T", "U", "V", "W", "X", "Y", "Z"};
        for (int i = 0; i < 26; ++i)
            list.push_back({letters[i], std::uint16_t(65 + i)});
        return list;
    }();
    return names;
}

int QtKey(std::uint16_t code) {
    if (code >= 112 && code <= 123) return Qt::Key_F1 + (code - 112);
    if (code >= 48 && code <= 57) return Qt::Key_0 + (code - 48);
    if (code >= 65 && code <= 90) return Qt::Key_A + (code - 65);
    if (code >= 96 && code <= 105) return int(Qt::KeypadModifier) | (Qt::Key_0 + (code - 96));
    switch (code) {
    case 106:
        return int(Qt::KeypadModifier) | Qt::Key_Asterisk;
    case 107:
        return int(Qt::KeypadModifier) | Qt::Key_Plus;
    case 109:
        return int(Qt::KeypadModifier) | Qt::Key_Minus;
    case 110:
        return int(Qt::KeypadModifier) | Qt::Key_Delete;
    case 111:
        return int(Qt::KeypadModifier) | Qt::Key_Slash;
    case 192:
        return Qt::Key_QuoteLeft;
    case 189:
        return Qt::Key_Minus;
    case 187:
        return Qt::Key_Equal;
    case 220:
        return Qt::Key_Backslash;
    case 221:
        return Qt::Key_BracketRight;
    case 219:
        return Qt::Key_BracketLeft;
    case 222:
        return Qt::Key_Apostrophe;
    case 186:
        return Qt::Key_Semicolon;
    case 191:
        return Qt::Key_Slash;
    case 190:
        return Qt::Key_Period;
    case 188:
        return Qt::Key_Comma;
    case 8:
        return Qt::Key_Backspace;
    case 9:
        return Qt::Key_Tab;
    case 13:
        return Qt::Key_Return;
    case 20:
        return Qt::Key_CapsLock;
    case 27:
        return Qt::Key_Escape;
    case 32:
        return Qt::Key_Space;
    case 33:
        return Qt::Key_PageUp;
    case 34:
        return Qt::Key_PageDown;
    case 35:
        return Qt::Key_End;
    case 36:
        return Qt::Key_Home;
    case 37:
        return Qt::Key_Left;
    case 39:
        return Qt::Key_Right;
    case 38:
        return Qt::Key_Up;
    case 40:
        return Qt::Key_Down;
    case 45:
        return Qt::Key_Insert;
    case 46:
        return Qt::Key_Delete;
    case 145:
        return Qt::Key_ScrollLock;
    default:
        return 0;
    }
}

QKeySequence Sequence(const ACCEL_ITEM& item) {
    const int key = QtKey(item.key);
    if (!key) return {};
    int combination = key;
    if (item.modifiers & kCtrl) combination |= int(Qt::ControlModifier);
    if (item.modifiers & kAlt) combination |= int(Qt::AltModifier);
    if (item.modifiers & kShift) combination |= int(Qt::ShiftModifier);
    return QKeySequence(combination);
}

QString KeyText(std::uint8_t modifiers, std::uint16_t code) {
    QString text;
    if (modifiers & kCtrl) text += "Ctrl+";
    if (modifiers & kAlt) text += "Alt+";
    if (modifiers & kShift) text += "Shift+";
    for (const KeyName& k : KeyNames())
        if (k.code == code) return text + QString::fromLatin1(k.name);
    return text;
}

ACCEL_ITEM WithKeys(ACCEL_ITEM item, bool ctrl, bool alt, bool shift, int keyIndex,
                    bool systemHotkey) {
    item.modifiers = kVirtualKey;
    if (ctrl) item.modifiers |= kCtrl;
    if (alt) item.modifiers |= kAlt;
    if (shift) item.modifiers |= kShift;
    item.key = keyIndex >= 0 && keyIndex < int(KeyNames().size())
                   ? KeyNames()[std::size_t(keyIndex)].code
                   : 0;
    item.keyText = KeyText(item.modifiers, item.key);
    item.systemHotkey = systemHotkey;
    return item;
}

void Replace(AccelItems& table, const AccelItems& edited) {
    for (const ACCEL_ITEM& e : edited) {
        const auto same = std::find_if(table.begin(), table.end(),
                                       [&](const ACCEL_ITEM& t) { return t.nameId == e.nameId; });
        if (same != table.end())
            *same = e;
        else
            table.push_back(e);
    }
}

namespace {
bool IsKeyText(const QString& text) {
    QString rest = text;
    for (const char* prefix : {"Ctrl+", "Alt+", "Shift+"})
        if (rest.startsWith(QLatin1String(prefix))) rest = rest.mid(int(qstrlen(prefix)));
    for (const KeyName& k : KeyNames())
        if (rest == QLatin1String(k.name)) return true;
    return false;
}
bool IsNumber(const QString& token) {
    bool ok = false;
    token.toLongLong(&ok);
    return ok;
}
} // namespace

std::optional<ACCEL_ITEM> ParseLine(const QString& line) {
    const QStringList tokens = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (tokens.isEmpty() || !IsNumber(tokens[0])) return std::nullopt;
    ACCEL_ITEM item;
    auto number = [&](int i) { return i < tokens.size() ? tokens[i].toLongLong() : 0; };
    item.nameId = std::uint16_t(number(0));
    item.command = std::uint16_t(number(1));
    item.key = std::uint16_t(number(2));
    item.modifiers = std::uint8_t(number(3) & 0xFF);
    if (tokens.size() <= 4) return item;
    // The key text runs up to the flag: the longest run of tokens that is a key text and is
    // followed by a number, else the one token.
    int flagAt = 5;
    for (int end = int(tokens.size()) - 1; end > 4; --end) {
        const QString candidate = tokens.mid(4, end - 4).join(QLatin1Char(' '));
        if (IsNumber(tokens[end]) && IsKeyText(candidate)) {
            flagAt = end;
            break;
        }
    }
    item.keyText = tokens.mid(4, flagAt - 4).join(QLatin1Char(' '));
    if (flagAt < tokens.size()) item.systemHotkey = tokens[flagAt].toLongLong() != 0;
    item.extraText = tokens.mid(flagAt + 1).join(QLatin1Char(' '));
    return item;
}

QString FormatLine(const ACCEL_ITEM& item) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(item.nameId)
        .arg(item.command)
        .arg(item.key)
        .arg(item.modifiers)
        .arg(item.keyText)
        .arg(item.systemHotkey ? 1 : 0)
        .arg(item.extraText);
}

AccelItems Load(const QString& path) {
    AccelItems items;
    if (!QFile::exists(path)) {
        WriteWholeFile(path, QByteArray());
        return items;
    }
    QStringList lines;
    if (!CStdioFileEx::ReadLines(path, lines)) return items;
    for (const QString& line : lines)
        if (const auto item = ParseLine(line)) items.push_back(*item);
    return items;
}

bool Save(const QString& path, const AccelItems& items) {
    QByteArray bytes;
    for (const ACCEL_ITEM& item : items)
        bytes += FormatLine(item).toUtf8() + '\n';
    return WriteWholeFile(path, bytes);
}

} // namespace kestrova::shortcuts
