#include "NowPlayingFrm.h"

#include "WaveformView.h"
#include "common/AppSetting.h"
#include "library/PlaylistView.h"
#include "player/StudySession.h"
#include "repeat/SellistView.h"

#include <QVBoxLayout>

namespace kestrova {

CNowPlayingFrm::CNowPlayingFrm(CAppSetting& settings, CStudySession& session, QWidget* parent)
    : QSplitter(Qt::Vertical, parent) {
    setObjectName(QStringLiteral("NowPlayingFrm"));
    auto* upper = new QSplitter(Qt::Horizontal, this);
    m_sellist = new CSellistView(settings, session.Sentences(), upper);
    m_playlist = new CPlaylistView(session.Playlist(), session.Controller(), upper);
    upper->addWidget(m_sellist);
    upper->addWidget(m_playlist);
    m_waveform = new CWaveformView(session.Waveform(), this);
    m_subtitles = new QWidget(this);
    m_subtitles->setObjectName(QStringLiteral("subtitleArea"));
    auto* layout = new QVBoxLayout(m_subtitles);
    layout->setContentsMargins(0, 0, 0, 0);
    addWidget(upper);
    addWidget(m_waveform);
    addWidget(m_subtitles);
    const int width = std::max(settings.MLSplitWidth, 60);
    const int height = std::max(settings.MUSplitHigh, 60);
    upper->setSizes({width, 600});
    // The playlist takes whatever the window gains or loses, so the sentence list keeps the
    // width stored last time rather than a share of it.
    upper->setStretchFactor(1, 1);
    setSizes({height, std::max(settings.WaveHigh, 40), 400});
    setStretchFactor(1, 0);
    setStretchFactor(2, 1);
    setCollapsible(1, false);
    // The strip's height is the learner's, kept in the profile.
    connect(this, &QSplitter::splitterMoved, this, [this, &settings] {
        if (m_waveform->isVisible()) settings.WaveHigh = m_waveform->height();
    });
}

} // namespace kestrova
