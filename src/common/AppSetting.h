// Every user setting of the program in one object: filled from the profile once at start-up
// and written back once when it is destroyed at exit. Between the two, the program reads
// the fields directly; an options page applies its group as a typed value (Apply), and
// whoever follows that group hears of it through `changed`. Nothing reaches the disk when a
// field changes. The profile's other contents (window placement, dock layout, unknown keys)
// are kept in `Profile()` and written with it. GUI thread only.
#pragma once

#include "IniFile.h"
#include "Options.h"

#include <QObject>
#include <QString>
#include <climits>
#include <variant>
#include <vector>

namespace kestrova {

class CAppSetting : public QObject {
    Q_OBJECT
public:
    enum class Group { Repeat, Dictation };

    CAppSetting();
    ~CAppSetting() override;
    CAppSetting(const CAppSetting&) = delete;
    CAppSetting& operator=(const CAppSetting&) = delete;

    // The profile file. Set before Load; an empty path disables storing at destruction.
    void SetProfile(const QString& path) { m_profilePath = path; }
    const QString& ProfilePath() const { return m_profilePath; }

    // Reads every key with its default (missing file or key, or a number outside its key's
    // range: the default).
    void Load();
    // Writes every key, section by section, into the profile, keeping what else it holds.
    // A profile that cannot be written fails silently. Called by the destructor.
    bool Store();
    // Stops the destructor from storing (a run that must leave the old profile untouched).
    void DisableStoreOnExit() { m_storeOnExit = false; }

    // An options group as the learner set it; `changed` follows.
    void Apply(const RepeatOptions& options);
    void Apply(const DictationOptions& options);

    // Entries of the profile that are not settings fields (WindowPos, "DockState" sections).
    CIniFile& Profile() { return m_profile; }

    enum class Type { Flag, IntFlag, Int, Text };
    using Field = std::variant<bool CAppSetting::*, int CAppSetting::*, QString CAppSetting::*>;
    struct Key {
        const char* section;
        const char* name;
        Type type;
        Field field;
        int intDefault;
        const char* textDefault;
        // The values a number may take; a profile value outside them reads as the default,
        // so that no index or count taken from a hand-edited or damaged profile can go wrong.
        int low = INT_MIN;
        int high = INT_MAX;
    };
    // Keys in load order, and in the order they are stored.
    static const std::vector<Key>& LoadOrder();
    static const std::vector<Key>& StoreOrder();

    // General
    QString GlobalFont;
    bool AutoRun = false;
    bool ShowSplash = false;
    bool PromptExit = false;
    // UserGUI
    bool AlwaysTop = false;
    bool MinimizeToTray = false;
    bool CloseToTray = false;
    int MUSplitHigh = 0;
    int MLSplitWidth = 0;
    int DDSplitHigh = 0;
    int MiniTop = 0;
    int MiniLeft = 0;
    int NoteHigh = 0;
    int NoteWidth = 0;
    int WaveHigh = 0; // the waveform strip
    bool ShowTrayIco = false;
    // Dictation
    int IgnoreCase = 0;
    int IgnoreSpaces = 0;
    int IgnorePunc = 0;
    int DetectAbbr = 0;
    int FreeSwitchList = 0;
    int RightSound = 0;
    int ErrorSound = 0;
    int AutoSave = 0;
    bool RedoError = false;
    bool AutoSaveCourseware = false;
    int ToHardSent = 0;
    // State
    int Volume = 0;
    bool Mute = false;
    int Order = 0;
    int PlaylistIndex = 0;
    int EqPreset = 0;
    int Tempo = 0;
    int Pitch = 0;
    int Reverb = 0;
    int CurrentPanel = 0;
    int WhenRecordFinished = 0;
    bool bAlarm1 = false;
    bool bAlarm2 = false;
    bool bAlarm3 = false;
    QString strAlarm1;
    QString strAlarm2;
    QString strAlarm3;
    QString strAlarmTxt1;
    QString strAlarmTxt2;
    QString strAlarmTxt3;
    // Repeat
    int RepeatAmount = 0;
    bool AudioPrompt = false;
    bool PauseFinish = false;
    int PauseFinishIndex = 0;
    QString FinishAudio;
    int MoveStep = 0;
    bool CancelRepeat = false;
    int SentInterval = 0;
    // Tempo of each pass of automatic repeat, in percent, comma-separated ("" none).
    QString PassTempos;
    // SplitAudio
    int SentenceDist = 0;
    int BackgroundNoise = 0;
    bool UseSplit = false;
    int AudioLength = 0;
    bool UseTpan = false;
    bool AutoNoise = false; // the "自动" scheme: the threshold measured per lesson
    int SplitScheme = 0;

Q_SIGNALS:
    void changed(kestrova::CAppSetting::Group group);

private:
    QString m_profilePath;
    CIniFile m_profile;
    bool m_storeOnExit = true;
};

} // namespace kestrova
