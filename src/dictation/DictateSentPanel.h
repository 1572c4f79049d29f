// Sentence dictation's panel: the sentence table (order, start, dictated text), the status
// line (`CDictationInfoPanel`: progress, the current sentence's errors, the message, the
// "句间间隔" slider and its countdown) and the answer line. Enter submits; a wrong answer is
// marked red and underlined from the first wrong character. Prompt sounds play to their end
// before dictation goes on, without blocking. GUI thread.
#pragma once

#include "DictationSession.h"

#include <QTextEdit>
#include <QWidget>

class QLabel;
class QSlider;
class QTreeWidget;

namespace kestrova {

class CAppSetting;
class CSoundPlayer;
class IPrompts;

// The answer line: Enter submits; typed text is always black and not underlined.
class CAnswerEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit CAnswerEdit(QWidget* parent = nullptr);
    void MarkFrom(int start);
    void ClearMark();

Q_SIGNALS:
    void submitted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class CDictationInfoPanel : public QWidget {
    Q_OBJECT
public:
    CDictationInfoPanel(CAppSetting& settings, QWidget* parent = nullptr);
    void Show(int position, int total, int errors, const QString& message);
    // Seconds counted in the pause between passes; -1 empties it.
    void SetCountdown(int seconds);

private:
    CAppSetting& m_settings;
    QLabel* m_progress;
    QLabel* m_errors;
    QLabel* m_message;
    QSlider* m_interval;
    QLabel* m_value;
    QLabel* m_countdown;
};

class CDictateSentPanel : public QWidget {
    Q_OBJECT
public:
    // `session`: the dictation's course, which the study session owns.
    CDictateSentPanel(CAppSetting& settings, CDictationSession& session, QWidget* parent = nullptr);
    ~CDictateSentPanel() override;
    // The study session: what is dictated, and the playback it stops.
    void SetHost(IDictationHost* host) { m_host = host; }
    void SetPrompts(IPrompts* prompts) { m_prompts = prompts; }

    void StartAll();
    bool StartHardSentences(const std::vector<std::uint32_t>& starts);
    void Begin();
    void Submit();
    void RedoErrors();
    void Stop(bool keepView);
    bool SaveAsLrc();
    CDictationInfoPanel* Info() const { return m_info; }

Q_SIGNALS:
    // Dictation ended by itself (finished, or the learner chose not to go on).
    void stopped();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyOptions(); // hard-sentence and redo rules from the settings
    void FillTable();
    void ShowCurrent(const QString& message);
    void AfterAnswer(CDictationSession::Outcome outcome);
    void Finish();
    CheckOptions Options() const;
    QString SoundPath(const char* name) const;

    CAppSetting& m_settings;
    IDictationHost* m_host = nullptr;
    IPrompts* m_prompts = nullptr;
    CDictationSession& m_session;
    std::unique_ptr<CSoundPlayer> m_sound;
    QTreeWidget* m_table;
    CDictationInfoPanel* m_info;
    QLabel* m_wordDiff; // a wrong answer word by word
    CAnswerEdit* m_answer;
    bool m_busy = false; // a prompt sound plays; Enter waits for it
};

} // namespace kestrova
