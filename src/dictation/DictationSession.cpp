#include "DictationSession.h"

namespace kestrova {

void CDictationSession::SetPosition(int position) {
    const bool was = Running();
    m_position = position;
    if (Running() != was) Q_EMIT runningChanged(Running());
}

void CDictationSession::StartAll() {
    m_order.clear();
    for (int i = 0; i < Total(); ++i)
        m_order.push_back(i);
    Begin();
}

bool CDictationSession::StartHardSentences(const std::vector<std::uint32_t>& starts) {
    m_errors.clear();
    for (std::uint32_t start : starts)
        for (int i = 0; i < Total(); ++i)
            if (m_source->SentenceStart(i) == start) m_errors.push_back(ERROR_ITEM{i, 0});
    return RedoErrors();
}

void CDictationSession::Begin() {
    m_errors.clear();
    m_dictated = QStringList();
    for (int i = 0; i < Total(); ++i)
        m_dictated << QString();
    m_currentErrors = 0;
    SetPosition(m_order.empty() ? -1 : 0);
    if (m_position >= 0) PlayCurrent();
}

void CDictationSession::PlayCurrent() {
    // The list refuses the learner's choices while dictation runs; this one is its own.
    if (m_source) m_source->PlaySentence(m_order[size_t(m_position)], true);
}

void CDictationSession::CountError(int s) {
    for (ERROR_ITEM& e : m_errors) {
        if (e.sentence != s) continue;
        m_currentErrors = ++e.count;
        if (e.count >= m_toHardSent)
            Q_EMIT hardSentence(m_source->SentenceStart(s), m_source->SentenceEnd(s), e.count);
        return;
    }
    m_errors.push_back(ERROR_ITEM{s, 1});
    m_currentErrors = 1;
    // With a threshold of one, the first error already makes the sentence a hard one.
    if (m_toHardSent <= 1)
        Q_EMIT hardSentence(m_source->SentenceStart(s), m_source->SentenceEnd(s), 1);
}

CDictationSession::Outcome
CDictationSession::Submit(const QString& answer, const CheckOptions& options, CheckResult* result) {
    if (!Running()) return Outcome::Wrong;
    const int s = m_source ? m_source->CurrentSentence() : m_order[size_t(m_position)];
    const QString reference = m_source ? m_source->Reference(s) : QString();
    const CheckResult check = CheckAnswer(reference, answer, options);
    if (result) *result = check;
    if (!check.right) {
        CountError(s);
        return Outcome::Wrong;
    }
    if (s >= 0 && s < m_dictated.size())
        m_dictated[s] = reference.isEmpty() ? check.normalisedAnswer : reference;
    if (m_position + 1 >= int(m_order.size())) {
        const bool lrc = m_source && m_source->HasSubtitles();
        if (!lrc) return Outcome::OfferSaveLrc; // the panel asks, then stops
        if (!m_redoError) {
            Stop();
            return Outcome::Finished;
        }
        return RedoErrors() ? Outcome::Redo : Outcome::Finished;
    }
    ++m_position;
    m_currentErrors = 0;
    PlayCurrent();
    return Outcome::Next;
}

bool CDictationSession::RedoErrors() {
    if (m_errors.empty()) {
        Stop();
        return false;
    }
    m_order.clear();
    for (const ERROR_ITEM& e : m_errors)
        m_order.push_back(e.sentence);
    Begin();
    return true;
}

void CDictationSession::Stop() {
    m_errors.clear();
    m_order.clear();
    m_dictated = QStringList();
    m_currentErrors = 0;
    SetPosition(-1);
}

} // namespace kestrova
