// Answer checking of sentence dictation: both texts are normalised by the enabled options
// (lower case, collapse spaces, remove punctuation, expand contractions, in that order,
// after typographic quotes and non-breaking spaces are made plain), then compared. Every
// character of a normalised text remembers where it came from in the typed text, so that a
// wrong answer is marked from the first wrong character the learner typed. Pure functions.
#pragma once

#include <QString>
#include <vector>

namespace kestrova {

struct CheckOptions {
    bool ignoreCase = false;
    bool ignoreSpaces = true;
    bool ignorePunc = false;
    bool detectAbbr = true;
};

// A normalised text with, for each of its characters, the index in the source it came from.
struct NormalisedText {
    QString text;
    std::vector<int> source;
};

inline constexpr const char* kSkipPhrase = "qz omit";

NormalisedText NormaliseMapped(const QString& text, const CheckOptions& options);
QString Normalise(const QString& text, const CheckOptions& options);

struct CheckResult {
    bool right = false;
    // First differing position in the normalised answer; -1 when nothing is marked.
    int markPos = -1;
    // The marked part of the answer as typed: from markStart to its end.
    int markStart = -1;
    QString normalisedAnswer;
};

CheckResult CheckAnswer(const QString& reference, const QString& answer,
                        const CheckOptions& options);

// A wrong answer word by word: both texts normalised as for the check, split at spaces and
// aligned with the fewest word edits. A word typed within one letter of the reference word
// it stands for is a near miss; a word in the answer's place that is further off is wrong.
enum class WordMark { Same, Missing, Extra, NearMiss, Wrong };
struct WordDiffItem {
    WordMark mark = WordMark::Same;
    QString typed;     // empty for a missing word
    QString reference; // empty for an extra word
    bool operator==(const WordDiffItem&) const = default;
};
std::vector<WordDiffItem> WordDiff(const QString& reference, const QString& answer,
                                   const CheckOptions& options);
// Letters to change, add or remove to turn one word into the other.
int EditDistance(const QString& a, const QString& b);

} // namespace kestrova
