// The side bar's "跟读对比" page: a view of the follow-reading controller with its buttons
// (record, play recording, play source, compare, save, previous and next sentence), the
// microphone level with its reset, the after-recording choice and the two times. The
// recording device is opened the first time the page is shown. GUI thread.
#pragma once

#include "player/RecordController.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;

namespace kestrova {

class CVoiceCompareView;

class CRecordPanel : public QWidget {
    Q_OBJECT
public:
    explicit CRecordPanel(CRecordController& recorder, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Show();
    void ShowTimes();
    void Save();

    CRecordController& m_recorder;
    QHash<int, QPushButton*> m_buttons;
    QSlider* m_level;
    QRadioButton* m_modes[3];
    QLabel* m_length;
    QLabel* m_position;
    CVoiceCompareView* m_picture;
};

} // namespace kestrova
