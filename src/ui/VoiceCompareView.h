// The comparison picture under the follow-reading buttons: the source sentence above, the
// learner's recording below, on one time axis aligned where the speech begins; each lane
// shows the loudness as grey bars and the pitch curve (semitones from the speaker's own
// median) as a line. GUI thread.
#pragma once

#include "audio/VoiceCompare.h"

#include <QWidget>

namespace kestrova {

class CVoiceCompareView : public QWidget {
    Q_OBJECT
public:
    explicit CVoiceCompareView(QWidget* parent = nullptr);
    void Show(const VoiceTrace& source, const VoiceTrace& recording);
    bool HasTraces() const { return !m_source.Empty() || !m_recording.Empty(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VoiceTrace m_source;
    VoiceTrace m_recording;
};

} // namespace kestrova
