#include "VoiceCompareView.h"

#include <QPainter>
#include <QPainterPath>

namespace kestrova {

namespace {
constexpr float kPitchRange = 12.0f; // semitones above and below the median shown
} // namespace

CVoiceCompareView::CVoiceCompareView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("voiceCompare"));
    setMinimumHeight(120);
    setToolTip(QString::fromUtf8("上：原音　下：录音（灰色为音量，曲线为音调）"));
}

void CVoiceCompareView::Show(const VoiceTrace& source, const VoiceTrace& recording) {
    m_source = source;
    m_recording = recording;
    update();
}

void CVoiceCompareView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!HasTraces()) return;
    // One axis for both: each trace starts where its speech begins, after the longer lead.
    const int lead = std::max(m_source.onset, m_recording.onset);
    const int span = std::max(int(m_source.envelope.size()) - m_source.onset,
                              int(m_recording.envelope.size()) - m_recording.onset) +
                     lead;
    if (span <= 0) return;
    const double dx = double(width() - 2) / span;
    const int laneHeight = (height() - 2) / 2;
    auto lane = [&](const VoiceTrace& trace, int top, const QColor& colour, const QString& name) {
        const int shift = lead - trace.onset;
        const double middle = top + laneHeight / 2.0;
        p.setPen(Qt::NoPen);
        p.setBrush(palette().mid());
        for (std::size_t i = 0; i < trace.envelope.size(); ++i) {
            const double h = trace.envelope[i] * (laneHeight - 4);
            p.drawRect(QRectF(1 + (double(i) + shift) * dx, middle - h / 2, std::max(dx, 1.0), h));
        }
        QPainterPath curve;
        bool drawing = false;
        for (std::size_t i = 0; i < trace.pitch.size(); ++i) {
            if (std::isnan(trace.pitch[i])) {
                drawing = false;
                continue;
            }
            const float semitones = std::clamp(trace.pitch[i], -kPitchRange, kPitchRange);
            const QPointF at(1 + (double(i) + shift + 0.5) * dx,
                             middle - semitones / kPitchRange * (laneHeight / 2.0 - 2));
            if (drawing)
                curve.lineTo(at);
            else
                curve.moveTo(at);
            drawing = true;
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, 2));
        p.drawPath(curve);
        p.setPen(colour);
        p.drawText(QRect(4, top + 2, width() - 8, 16), Qt::AlignLeft | Qt::AlignTop, name);
    };
    lane(m_source, 1, QColor(0x1d, 0x6f, 0xd1), QString::fromUtf8("原音"));
    lane(m_recording, 1 + laneHeight, QColor(0xe0, 0x7a, 0x10), QString::fromUtf8("录音"));
    p.setPen(QPen(palette().mid().color(), 1, Qt::DotLine));
    p.drawLine(1, 1 + laneHeight, width() - 2, 1 + laneHeight);
}

} // namespace kestrova
