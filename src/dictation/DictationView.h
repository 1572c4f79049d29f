// The dictation page: switches between the free-dictation editor (which comes later; its
// mode stays off) and the sentence-dictation panel, owns the dictation commands' logic and
// the mode flags, and stops dictation for the rest of the program. It works with the study
// session through the dictation host and tells its mode through `modeChanged`. GUI thread.
#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

class QStackedWidget;
class QTimer;

namespace kestrova {

class CAppSetting;
class CDictateSentPanel;
class CDictationSession;
class IDictationHost;
class IPrompts;

class CDictationView : public QWidget {
    Q_OBJECT
public:
    CDictationView(CAppSetting& settings, CDictationSession& session, QWidget* parent = nullptr);
    void SetHost(IDictationHost* host);
    void SetPrompts(IPrompts* prompts);
    CDictateSentPanel* Panel() const { return m_panel; }

    bool SentenceMode() const { return m_sentenceMode; }
    bool FreeMode() const { return m_freeMode; }
    bool Running() const { return m_sentenceMode || m_freeMode; }
    // "智能模式" and "听写难点句库" (over the hard sentences that start at `starts`): start,
    // or stop when that mode runs.
    void SmartCommand();
    void HardCommand(const std::vector<std::uint32_t>& starts);
    // "自由模式": free dictation in `editor` (given once), or stop it when it runs.
    void SetFreeEditor(QWidget* editor);
    void FreeCommand();
    // The autosave interval changed in the options: a running free mode takes a new one.
    void AutosaveChanged();
    void StopDictation(bool stopPlayback);
    // The sentence list rebuilt its rows.
    void SentencesChanged();
    // Splitting ended (with or without a list): a start that waited for it goes on or not.
    void SplittingEnded();

Q_SIGNALS:
    // Sentence or free dictation began or ended.
    void modeChanged();
    // The dictation page is to come forward.
    void pageWanted();
    // Free dictation's text: read it from the lesson's work (free mode starts), write it there
    // when changed (autosave, a sentence mode starts, dictation stops), empty the editor (free
    // mode ends, after the save).
    void freeTextLoad();
    void freeTextSave();
    void freeTextClear();

private:
    void SetModes(bool sentence, bool free);
    bool Prepare();
    void StartSentences(bool hard);
    void LeaveFreeMode();
    void StartAutosave();
    CAppSetting& m_settings;
    IDictationHost* m_host = nullptr;
    IPrompts* m_prompts = nullptr;
    std::vector<std::uint32_t> m_hardStarts;
    QStackedWidget* m_stack;
    QWidget* m_freePlaceholder;
    QWidget* m_freeEditor = nullptr;
    QTimer* m_autosave;
    CDictateSentPanel* m_panel;
    bool m_sentenceMode = false;
    bool m_freeMode = false;
    int m_waitingForSplit = 0; // 1: all sentences, 2: hard sentences
};

} // namespace kestrova
