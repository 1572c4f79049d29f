// The dictation page: switches between the free-dictation editor (which comes later; its
// mode stays off) and the sentence-dictation panel, owns the dictation commands' logic and
// the mode flags, and stops dictation for the rest of the program. GUI thread.
#pragma once

#include <QWidget>
#include <functional>

class QStackedWidget;

namespace kestrova {

class CAppSetting;
class CDictateSentPanel;

class CDictationView : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<int()> sentenceCount;
        std::function<bool()> splitting;
        std::function<void()> startSplit;
        std::function<void()> stopAutoRepeat;
        std::function<bool(const QString&)> ask;
        std::function<std::vector<std::uint32_t>()> hardStarts;
        std::function<void()> stopPlayback;
        std::function<void()> showPage; // bring the dictation page forward
    };

    CDictationView(CAppSetting& settings, QWidget* parent = nullptr);
    void SetHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    CDictateSentPanel* Panel() const { return m_panel; }

    bool SentenceMode() const { return m_sentenceMode; }
    bool FreeMode() const { return m_freeMode; }
    bool Running() const { return m_sentenceMode || m_freeMode; }
    // "智能模式" and "听写难点句库": start, or stop when that mode runs.
    void SmartCommand();
    void HardCommand();
    void StopDictation(bool stopPlayback);
    // The sentence list rebuilt its rows.
    void SentencesChanged();
    // Splitting ended (with or without a list): a start that waited for it goes on or not.
    void SplittingEnded();

private:
    bool Prepare();
    void StartSentences(bool hard);
    CAppSetting& m_settings;
    Hooks m_hooks;
    QStackedWidget* m_stack;
    QWidget* m_freePlaceholder;
    CDictateSentPanel* m_panel;
    bool m_sentenceMode = false;
    bool m_freeMode = false;
    int m_waitingForSplit = 0; // 1: all sentences, 2: hard sentences
};

} // namespace kestrova
