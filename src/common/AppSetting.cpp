#include "AppSetting.h"

namespace kestrova {

namespace {

using S = CAppSetting;
using T = CAppSetting::Type;

// clang-format off
const std::vector<S::Key> kLoadOrder = {
    {"General", "GlobalFont", T::Text, &S::GlobalFont, 0, ""},
    {"General", "AutoRun", T::Flag, &S::AutoRun, 0, nullptr},
    {"General", "ShowSplash", T::Flag, &S::ShowSplash, 1, nullptr},
    {"General", "PromptExit", T::Flag, &S::PromptExit, 0, nullptr},

    {"UserGUI", "AlwaysTop", T::Flag, &S::AlwaysTop, 0, nullptr},
    {"UserGUI", "MinimizeToTray", T::Flag, &S::MinimizeToTray, 0, nullptr},
    {"UserGUI", "CloseToTray", T::Flag, &S::CloseToTray, 0, nullptr},
    {"UserGUI", "MUSplitHigh", T::Int, &S::MUSplitHigh, 150, nullptr, 0, 100000},
    {"UserGUI", "MLSplitWidth", T::Int, &S::MLSplitWidth, 150, nullptr, 0, 100000},
    {"UserGUI", "DDSplitHigh", T::Int, &S::DDSplitHigh, 200, nullptr, 0, 100000},
    {"UserGUI", "MiniTop", T::Int, &S::MiniTop, 200, nullptr, -100000, 100000},
    {"UserGUI", "MiniLeft", T::Int, &S::MiniLeft, 200, nullptr, -100000, 100000},
    {"UserGUI", "NoteHigh", T::Int, &S::NoteHigh, 300, nullptr, 0, 100000},
    {"UserGUI", "NoteWidth", T::Int, &S::NoteWidth, 500, nullptr, 0, 100000},
    {"UserGUI", "WaveHigh", T::Int, &S::WaveHigh, 120, nullptr, 0, 100000},
    {"UserGUI", "ShowTrayIco", T::Flag, &S::ShowTrayIco, 0, nullptr},

    {"Dictation", "IgnoreCase", T::IntFlag, &S::IgnoreCase, 0, nullptr},
    {"Dictation", "IgnoreSpaces", T::IntFlag, &S::IgnoreSpaces, 1, nullptr},
    {"Dictation", "IgnorePunc", T::IntFlag, &S::IgnorePunc, 0, nullptr},
    {"Dictation", "DetectAbbr", T::IntFlag, &S::DetectAbbr, 1, nullptr},
    {"Dictation", "FreeSwitchList", T::IntFlag, &S::FreeSwitchList, 0, nullptr},
    {"Dictation", "RightSound", T::IntFlag, &S::RightSound, 0, nullptr},
    {"Dictation", "ErrorSound", T::IntFlag, &S::ErrorSound, 1, nullptr},
    {"Dictation", "AutoSave", T::Int, &S::AutoSave, 0, nullptr, 0, 1440},
    {"Dictation", "RedoError", T::Flag, &S::RedoError, 1, nullptr},
    {"Dictation", "AutoSaveCourseware", T::Flag, &S::AutoSaveCourseware, 1, nullptr},
    {"Dictation", "ToHardSent", T::Int, &S::ToHardSent, 10, nullptr, 1, 99},

    {"State", "Volume", T::Int, &S::Volume, 50, nullptr, 0, 100},
    {"State", "Mute", T::Flag, &S::Mute, 0, nullptr},
    {"State", "Order", T::Int, &S::Order, 0, nullptr, 0, 3},
    {"State", "PlaylistIndex", T::Int, &S::PlaylistIndex, 0, nullptr, 0, INT_MAX},
    {"State", "EqPreset", T::Int, &S::EqPreset, 1, nullptr, 0, 2},
    {"State", "Tempo", T::Int, &S::Tempo, 0, nullptr, -60, 60},
    {"State", "Pitch", T::Int, &S::Pitch, 0, nullptr, -15, 15},
    {"State", "Reverb", T::Int, &S::Reverb, 0, nullptr, 0, 20},
    {"State", "CurrentPanel", T::Int, &S::CurrentPanel, 1, nullptr, 0, 3},
    {"State", "WhenRecordFinished", T::Int, &S::WhenRecordFinished, 1, nullptr, 0, 2},
    {"State", "bAlarm1", T::Flag, &S::bAlarm1, 0, nullptr},
    {"State", "bAlarm2", T::Flag, &S::bAlarm2, 0, nullptr},
    {"State", "bAlarm3", T::Flag, &S::bAlarm3, 0, nullptr},
    {"State", "strAlarm1", T::Text, &S::strAlarm1, 0, "7:30:00"},
    {"State", "strAlarm2", T::Text, &S::strAlarm2, 0, "7:30:00"},
    {"State", "strAlarm3", T::Text, &S::strAlarm3, 0, "7:30:00"},
    {"State", "strAlarmTxt1", T::Text, &S::strAlarmTxt1, 0, "定时器1"},
    {"State", "strAlarmTxt2", T::Text, &S::strAlarmTxt2, 0, "定时器2"},
    {"State", "strAlarmTxt3", T::Text, &S::strAlarmTxt3, 0, "定时器3"},

    {"Repeat", "RepeatAmount", T::Int, &S::RepeatAmount, 2, nullptr, 1, 20},
    {"Repeat", "AudioPrompt", T::Flag, &S::AudioPrompt, 0, nullptr},
    {"Repeat", "PauseFinish", T::Flag, &S::PauseFinish, 0, nullptr},
    {"Repeat", "PauseFinishIndex", T::Int, &S::PauseFinishIndex, 0, nullptr, 0, 6},
    {"Repeat", "FinishAudio", T::Text, &S::FinishAudio, 0, ""},
    {"Repeat", "MoveStep", T::Int, &S::MoveStep, 100, nullptr, 1, 6000},
    {"Repeat", "CancelRepeat", T::Flag, &S::CancelRepeat, 0, nullptr},
    {"Repeat", "SentInterval", T::Int, &S::SentInterval, 5, nullptr, 0, 60},
    {"Repeat", "PassTempos", T::Text, &S::PassTempos, 0, ""},

    {"SplitAudio", "SentenceDist", T::Int, &S::SentenceDist, 28, nullptr, 0, 100},
    {"SplitAudio", "BackgroundNoise", T::Int, &S::BackgroundNoise, 980, nullptr, 0, 2000},
    {"SplitAudio", "UseSplit", T::Flag, &S::UseSplit, 1, nullptr},
    {"SplitAudio", "AudioLength", T::Int, &S::AudioLength, 200, nullptr, 0, INT_MAX},
    {"SplitAudio", "UseTpan", T::Flag, &S::UseTpan, 0, nullptr},
    {"SplitAudio", "SplitScheme", T::Int, &S::SplitScheme, 0, nullptr, 0, 999},
    {"SplitAudio", "AutoNoise", T::Flag, &S::AutoNoise, 0, nullptr},
};
// clang-format on

// Store order: as loaded, except General and UserGUI, which are written in their own order.
std::vector<S::Key> MakeStoreOrder() {
    const char* front[] = {"GlobalFont",   "ShowSplash",     "AutoRun",     "PromptExit",
                           "AlwaysTop",    "MinimizeToTray", "CloseToTray", "MUSplitHigh",
                           "MLSplitWidth", "DDSplitHigh",    "ShowTrayIco", "MiniTop",
                           "MiniLeft",     "NoteHigh",       "NoteWidth",   "WaveHigh"};
    std::vector<S::Key> order;
    for (const char* name : front)
        for (const S::Key& key : kLoadOrder)
            if (qstrcmp(key.name, name) == 0) order.push_back(key);
    for (const S::Key& key : kLoadOrder)
        if (qstrcmp(key.section, "General") != 0 && qstrcmp(key.section, "UserGUI") != 0)
            order.push_back(key);
    return order;
}

} // namespace

const std::vector<S::Key>& CAppSetting::LoadOrder() {
    return kLoadOrder;
}

const std::vector<S::Key>& CAppSetting::StoreOrder() {
    static const std::vector<S::Key> order = MakeStoreOrder();
    return order;
}

CAppSetting::CAppSetting() = default;

CAppSetting::~CAppSetting() {
    if (m_storeOnExit) Store();
}

void CAppSetting::Load() {
    m_profile = CIniFile();
    if (!m_profilePath.isEmpty()) m_profile.Load(m_profilePath);
    for (const Key& key : LoadOrder()) {
        const QString section = QString::fromLatin1(key.section);
        const QString name = QString::fromLatin1(key.name);
        std::visit(
            [&](auto member) {
                using M = std::remove_reference_t<decltype(this->*member)>;
                if constexpr (std::is_same_v<M, QString>) {
                    this->*member =
                        m_profile.GetString(section, name, QString::fromUtf8(key.textDefault));
                } else {
                    int value = m_profile.GetInt(section, name, key.intDefault);
                    if (value < key.low || value > key.high) value = key.intDefault;
                    if constexpr (std::is_same_v<M, bool>)
                        this->*member = value != 0;
                    else
                        this->*member = value;
                }
            },
            key.field);
    }
}

bool CAppSetting::Store() {
    if (m_profilePath.isEmpty()) return false;
    // The settings keys come first, in store order; whatever else the profile holds follows
    // in its own order, inside its section where the section is one of ours.
    CIniFile out;
    for (const Key& key : StoreOrder()) {
        const QString section = QString::fromLatin1(key.section);
        const QString name = QString::fromLatin1(key.name);
        std::visit(
            [&](auto member) {
                using M = std::remove_reference_t<decltype(this->*member)>;
                if constexpr (std::is_same_v<M, QString>)
                    out.SetString(section, name, this->*member);
                else
                    out.SetInt(section, name, int(this->*member));
            },
            key.field);
    }
    for (const QString& section : m_profile.Sections())
        for (const QString& name : m_profile.Keys(section))
            if (!out.Contains(section, name))
                out.SetString(section, name, m_profile.GetRaw(section, name));
    return out.Save(m_profilePath);
}

void CAppSetting::Apply(const RepeatOptions& options) {
    options.StoreTo(*this);
    Q_EMIT changed(Group::Repeat);
}

void CAppSetting::Apply(const DictationOptions& options) {
    options.StoreTo(*this);
    Q_EMIT changed(Group::Dictation);
}

} // namespace kestrova
