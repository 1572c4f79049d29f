// Split schemes: named pairs of the splitting's background-noise threshold and sentence gap,
// three built in and the learner's own in Split/Scheme.dat ("name noise gap" lines). No
// widgets.
#pragma once

#include <QString>
#include <vector>

namespace kestrova {

struct SPLIT_ITEM {
    QString name;
    int noise = 0;
    int gap = 0;
    bool operator==(const SPLIT_ITEM&) const = default;
};
using SplitItems = std::vector<SPLIT_ITEM>;

namespace splitschemes {

inline constexpr const char* kUserDefined = "用户定义的方案";
inline constexpr const char* kDefault = "默认方案";
inline constexpr const char* kNoNoise = "句子之间毫无背景噪音";
// Listed last, after the saved schemes: the threshold is measured in each lesson.
inline constexpr const char* kAuto = "自动";
inline constexpr int kBuiltIn = 3; // the list's first three entries

QString FilePath();
// Lines split at spaces: the name, then the numbers (decimal, kept to 16 bits); a line with
// fewer fields leaves them 0.
SplitItems Load(const QString& path);
bool Save(const QString& path, const SplitItems& items);
// The values entry `name` gives, applied over (noise, gap): the built-in ones first, then
// every saved scheme of that name in order (so a saved "默认方案" wins); other names leave
// them as they are.
void Apply(const QString& name, const SplitItems& saved, int& noise, int& gap);

} // namespace splitschemes
} // namespace kestrova
