// The study session as dictation sees it: the sentences to dictate with their subtitle texts,
// and the few things dictation asks of playback and splitting. The study session provides
// it; tests give their own. No widgets.
#pragma once

#include <QString>
#include <cstdint>

namespace kestrova {

class ISentenceSource {
public:
    virtual ~ISentenceSource() = default;
    virtual int SentenceCount() const = 0;
    virtual std::uint32_t SentenceStart(int i) const = 0;
    virtual std::uint32_t SentenceEnd(int i) const = 0;
    virtual int CurrentSentence() const = 0;
    // Makes sentence i current and plays it. `own`: dictation's own choice, taken while the
    // list refuses the learner's.
    virtual bool PlaySentence(int i, bool own) = 0;
    // The subtitle text of sentence i ("" without subtitles).
    virtual QString Reference(int i) const = 0;
    // The same with the word tags of a word-timed line, as an LRC line carries them.
    virtual QString TimedReference(int i) const { return Reference(i); }
    virtual bool HasSubtitles() const = 0;
};

class IDictationHost : public ISentenceSource {
public:
    virtual bool IsSplitting() const = 0;
    virtual void StartSplit() = 0;
    virtual void StopAutoRepeat() = 0;
    virtual void StopPlayback() = 0;
    // Plays on from where playback stands (free dictation without sentences).
    virtual void StartPlayback() {}
    // The open media file, where a written LRC goes and is loaded from again.
    virtual QString MediaPath() const = 0;
    virtual bool ReloadSubtitles(const QString& media) = 0;
};

} // namespace kestrova
