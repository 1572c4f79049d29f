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

} // namespace kestrova
