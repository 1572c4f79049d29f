// The options of the study loop and of dictation as typed values, one per options page,
// with enum classes for the choices the profile stores as numbers. The settings object
// reads and applies them (see CAppSetting::Apply); the pages and the side panel offer the
// same lists. No widgets.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace kestrova {

class CAppSetting;

// What happens when a file has played to its end.
enum class PlayOrder { Default, RepeatOne, RepeatList, PlayOnce };

// The pause after each pass: a fixed length, the region's length once or twice, or held
// until the learner presses Play. The profile keeps its index.
enum class PauseChoice {
    OneSecond,
    ThreeSeconds,
    FiveSeconds,
    TenSeconds,
    RegionLength,
    TwiceRegionLength,
    Hold
};

struct RepeatOptions {
    int passes = 0; // passes over a region
    bool promptAfterPass = false;
    QString promptSound; // played after each pass when promptAfterPass
    bool pauseAfterPass = false;
    PauseChoice pause = PauseChoice::OneSecond;
    int moveStepCs = 0;             // the region's ends move by this
    bool seekOutsideClears = false; // a seek outside the region clears it (else it stays)
    int dictationPause = 0;         // seconds between passes while dictating
    PlayOrder order = PlayOrder::Default;
    // The tempo of each pass of automatic repeat in percent (-60..60), the last one for the
    // passes beyond; empty: every pass at the tempo slider's value.
    std::vector<int> passTempos;
    bool operator==(const RepeatOptions&) const = default;

    // A choice out of range in the profile reads as the first one.
    static RepeatOptions From(const CAppSetting& settings);
    void StoreTo(CAppSetting& settings) const;
};

struct DictationOptions {
    bool ignoreCase = false;
    bool ignoreSpaces = false;
    bool ignorePunctuation = false;
    bool detectContractions = false;
    bool rightSound = false;
    bool errorSound = false;
    bool redoErrors = false;
    int errorsToHardSentence = 0;
    int sentenceInterval = 0; // seconds between passes while dictating
    int autosaveMinutes = 0;  // free dictation's text, 0 for none
    bool operator==(const DictationOptions&) const = default;

    static DictationOptions From(const CAppSetting& settings);
    void StoreTo(CAppSetting& settings) const;
};

// Pass tempos as the learner types and the profile keeps them: integers separated by commas
// or spaces. A list with anything else is refused (nullopt); values are kept within
// -60..60 and at most kMaxPassTempos of them.
inline constexpr std::size_t kMaxPassTempos = 20;
std::optional<std::vector<int>> ParsePassTempos(const QString& text);
QString PassTemposText(const std::vector<int>& tempos);

// The lists the repeat options are chosen from, in list order, with their texts.
struct Choice {
    int value;
    const char* text;
};
inline constexpr std::array<Choice, 7> kPassCounts{{{1, "一次"},
                                                    {2, "二次"},
                                                    {3, "三次"},
                                                    {5, "五次"},
                                                    {10, "十次"},
                                                    {15, "十五次"},
                                                    {20, "二十次"}}};
inline constexpr std::array<const char*, 7> kPauseChoiceTexts{
    "一秒", "三秒", "五秒", "十秒", "句子时长", "双倍句子时长", "暂停"};
inline constexpr std::array<Choice, 10> kMoveSteps{{{10, "0.1 秒"},
                                                    {20, "0.2 秒"},
                                                    {30, "0.3 秒"},
                                                    {50, "0.5 秒"},
                                                    {100, "1 秒"},
                                                    {200, "2 秒"},
                                                    {300, "3 秒"},
                                                    {500, "5 秒"},
                                                    {1000, "10 秒"},
                                                    {2000, "20 秒"}}};
// The index of `value` in a list, -1 when the list does not hold it.
template <std::size_t N> int IndexOfChoice(const std::array<Choice, N>& list, int value) {
    for (std::size_t i = 0; i < N; ++i)
        if (list[i].value == value) return int(i);
    return -1;
}

} // namespace kestrova
