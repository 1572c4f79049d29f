// Sentence dictation's course through the sentences: the order to dictate, the position in
// it, the errors of the pass (`ERROR_ITEM`), the texts answered right, and what a right or
// wrong answer leads to. The panel shows it and plays the prompt sounds. It reads the
// sentences and their subtitle texts through a sentence source and tells the rest of the
// program through signals. GUI thread.
#pragma once

#include "AnswerCheck.h"

#include "DictationHost.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kestrova {

struct ERROR_ITEM {
    int sentence = 0;
    int count = 0;
};

class CDictationSession : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Wrong,        // the learner stays on the sentence
        Next,         // the next sentence plays
        OfferSaveLrc, // the pass ended without subtitles: ask to save the typed texts
        Redo,         // a pass over the wrong sentences began
        Finished,     // "听写全部完成！": dictation has stopped
    };

    explicit CDictationSession(QObject* parent = nullptr) : QObject(parent) {}
    void SetSource(ISentenceSource* source) { m_source = source; }
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
    int Total() const { return m_source ? m_source->SentenceCount() : 0; }

Q_SIGNALS:
    // Dictation began or ended: while it runs the learner's sentence choices are refused
    // and the transport keeps its stop and clear commands off.
    void runningChanged(bool running);
    // A sentence answered wrong often enough goes to the hard-sentence library.
    void hardSentence(std::uint32_t start, std::uint32_t end, int errors);

private:
    void SetPosition(int position);
    void PlayCurrent();
    void CountError(int sentence);
    ISentenceSource* m_source = nullptr;
    std::vector<int> m_order;
    std::vector<ERROR_ITEM> m_errors;
    QStringList m_dictated;
    int m_position = -1;
    int m_currentErrors = 0;
    int m_toHardSent = 10;
    bool m_redoError = true;
};

} // namespace kestrova
