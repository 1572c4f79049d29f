// Sentence dictation's course through the sentences: the order to dictate, the position in
// it, the errors of the pass (`ERROR_ITEM`), the texts answered right, and what a right or
// wrong answer leads to. The panel shows it and plays the prompt sounds. A plain class that
// reaches the sentence list, the subtitles and the hard-sentence library through hooks.
// GUI thread.
#pragma once

#include "AnswerCheck.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace kestrova {

struct ERROR_ITEM {
    int sentence = 0;
    int count = 0;
};

// Set while sentence dictation runs: the sentence list and the hard-sentence list ignore the
// learner's clicks, the control bar keeps its stop and clear commands off.
bool SentenceDictationRunning();
void SetSentenceDictationRunning(bool running);

class CDictationSession {
public:
    struct Hooks {
        std::function<int()> sentenceCount;
        std::function<std::uint32_t(int)> sentenceStart;
        std::function<std::uint32_t(int)> sentenceEnd;
        std::function<int()> currentSentence;
        std::function<bool(int)> selectSentence; // make current and play
        std::function<QString(int)> reference;   // the subtitle text of a sentence
        std::function<bool()> lrcLoaded;
        std::function<void(std::uint32_t, std::uint32_t, int)> addHardSentence;
    };
    enum class Outcome {
        Wrong,        // the learner stays on the sentence
        Next,         // the next sentence plays
        OfferSaveLrc, // the pass ended without subtitles: ask to save the typed texts
        Redo,         // a pass over the wrong sentences began
        Finished,     // "听写全部完成！": dictation has stopped
    };

    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    void SetToHardSent(int count) { m_toHardSent = count; }
    void SetRedoError(bool redo) { m_redoError = redo; }

    void StartAll();
    // Dictates the sentences whose start equals a hard sentence's start, in library order.
    // False when none matches (dictation then ends).
    bool StartHardSentences(const std::vector<std::uint32_t>& starts);
    void Begin();
    // The answer is judged; a right one moves on. `result` receives the check.
    Outcome Submit(const QString& answer, const CheckOptions& options,
                   CheckResult* result = nullptr);
    // Starts a pass over the wrong sentences; false (and stopped) when there were none.
    bool RedoErrors();
    void Stop();

    bool Running() const { return m_position >= 0; }
    int Position() const { return m_position; }
    const std::vector<int>& Order() const { return m_order; }
    const std::vector<ERROR_ITEM>& Errors() const { return m_errors; }
    int CurrentErrorCount() const { return m_currentErrors; }
    // Texts shown in the table's third column, one per sentence of the list.
    const QStringList& Dictated() const { return m_dictated; }
    int Total() const { return m_hooks.sentenceCount ? m_hooks.sentenceCount() : 0; }

private:
    void PlayCurrent();
    void CountError(int sentence);
    Hooks m_hooks;
    std::vector<int> m_order;
    std::vector<ERROR_ITEM> m_errors;
    QStringList m_dictated;
    int m_position = -1;
    int m_currentErrors = 0;
    int m_toHardSent = 10;
    bool m_redoError = true;
};

} // namespace kestrova
