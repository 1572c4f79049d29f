#include "DictateSentPanel.h"

#include "audio/SoundPlayer.h"
#include "common/AppSetting.h"
#include "common/Prompts.h"
#include "common/Util.h"
#include "common/Wav.h"
#include "subtitle/Lrc.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QTreeWidget>
#include <QtEndian>
#include <cmath>

namespace kestrova {

namespace {

// A wrong answer word by word: missing words as blanks (not given away), extra words struck
// through, near misses underlined, wrong words in red.
QString WordDiffHtml(const std::vector<WordDiffItem>& items) {
    QStringList words;
    for (const WordDiffItem& item : items) {
        const QString typed = item.typed.toHtmlEscaped();
        switch (item.mark) {
        case WordMark::Same:
            words << typed;
            break;
        case WordMark::Missing:
            words << QStringLiteral("<span style=\"color:#1565c0\">＿＿</span>");
            break;
        case WordMark::Extra:
            words << QStringLiteral("<s style=\"color:#7f7f7f\">%1</s>").arg(typed);
            break;
        case WordMark::NearMiss:
            words << QStringLiteral("<u style=\"color:#d35400\">%1</u>").arg(typed);
            break;
        case WordMark::Wrong:
            words << QStringLiteral("<b style=\"color:#c0392b\">%1</b>").arg(typed);
            break;
        }
    }
    return words.join(QLatin1Char(' '));
}

QTextCharFormat TypedFormat() {
    QTextCharFormat f;
    f.setForeground(Qt::black);
    f.setFontUnderline(false);
    return f;
}

// A short sine tone as a 16-bit mono WAV (the prompt sounds the program makes itself).
QByteArray ToneWav(double hz, int ms) {
    const int rate = 22050, n = rate * ms / 1000;
    QByteArray data;
    for (int i = 0; i < n; ++i) {
        const double fade = std::min(1.0, std::min(i, n - i) / 200.0);
        const auto v = qint16(12000 * fade * std::sin(2 * M_PI * hz * i / rate));
        data.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    }
    return PcmWav(data, rate, 1);
}

} // namespace

CAnswerEdit::CAnswerEdit(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(10);
    setFont(font);
    setCurrentCharFormat(TypedFormat());
    // Whatever is typed, also over an old mark, is written black and not underlined.
    connect(this, &QTextEdit::cursorPositionChanged, this,
            [this] { setCurrentCharFormat(TypedFormat()); });
}

void CAnswerEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT submitted();
        return;
    }
    setCurrentCharFormat(TypedFormat());
    QTextEdit::keyPressEvent(event);
}

void CAnswerEdit::ClearMark() {
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(TypedFormat());
}

void CAnswerEdit::MarkFrom(int start) {
    ClearMark();
    if (start < 0) return;
    QTextCursor mark(document());
    mark.setPosition(std::min(start, int(toPlainText().size())));
    mark.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    red.setFontUnderline(true);
    mark.mergeCharFormat(red);
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    setTextCursor(end);
    setCurrentCharFormat(TypedFormat());
}

CDictationInfoPanel::CDictationInfoPanel(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("progressText"));
    m_errors = new QLabel(this);
    m_errors->setObjectName(QStringLiteral("errorsText"));
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("messageText"));
    m_interval = new QSlider(Qt::Horizontal, this);
    m_interval->setObjectName(QStringLiteral("intervalSlider"));
    m_interval->setRange(0, 60);
    m_interval->setValue(std::clamp(settings.SentInterval, 0, 60));
    m_interval->setFixedWidth(120);
    m_value = new QLabel(QString::number(m_interval->value()), this);
    m_countdown = new QLabel(this);
    m_countdown->setObjectName(QStringLiteral("countdown"));
    // The interval (0..60) and the countdown (up to one past it) keep the width of their
    // widest number, so the slider stays put as they change or the countdown empties.
    int widest = 0;
    for (int n = 0; n <= 61; ++n)
        widest = std::max(widest, m_value->fontMetrics().horizontalAdvance(QString::number(n)));
    m_value->setFixedWidth(widest);
    m_countdown->setFixedWidth(widest);
    row->addWidget(m_progress);
    row->addSpacing(12);
    row->addWidget(m_errors);
    row->addSpacing(12);
    row->addWidget(m_message, 1);
    row->addWidget(new QLabel(QString::fromUtf8("句间间隔"), this));
    row->addWidget(m_interval);
    row->addWidget(m_value);
    row->addWidget(m_countdown);
    connect(m_interval, &QSlider::valueChanged, this, [this](int v) {
        DictationOptions o = DictationOptions::From(m_settings);
        o.sentenceInterval = v;
        m_settings.Apply(o);
        m_value->setText(QString::number(v));
    });
    // The options dialog changes the same interval.
    connect(&m_settings, &CAppSetting::changed, this, [this](CAppSetting::Group group) {
        if (group != CAppSetting::Group::Dictation) return;
        QSignalBlocker block(m_interval);
        m_interval->setValue(std::clamp(m_settings.SentInterval, 0, 60));
        m_value->setText(QString::number(m_interval->value()));
    });
    Show(0, 0, 0, QString::fromUtf8("无信息"));
}

void CDictationInfoPanel::Show(int position, int total, int errors, const QString& message) {
    m_progress->setText(QString::fromUtf8("已听写：%1/%2").arg(position).arg(total));
    m_errors->setText(QString::fromUtf8("当前句子错误次数：%1").arg(errors));
    m_message->setText(message);
}

void CDictationInfoPanel::SetCountdown(int seconds) {
    m_countdown->setText(seconds < 0 ? QString() : QString::number(seconds));
}

CDictateSentPanel::CDictateSentPanel(CAppSetting& settings, CDictationSession& session,
                                     QWidget* parent)
    : QWidget(parent), m_settings(settings), m_session(session),
      m_sound(std::make_unique<CSoundPlayer>()) {
    setObjectName(QStringLiteral("DictateSentPanel"));
    m_table = new QTreeWidget(this);
    m_table->setObjectName(QStringLiteral("sentenceTable"));
    m_table->setRootIsDecorated(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setHeaderLabels({QString::fromUtf8("句序"), QString::fromUtf8("断点时间"),
                              QString::fromUtf8("已听写的文本")});
    m_table->setColumnWidth(0, 40);
    m_table->setColumnWidth(1, 70);
    m_info = new CDictationInfoPanel(settings, this);
    m_wordDiff = new QLabel(this);
    m_wordDiff->setObjectName(QStringLiteral("wordDiff"));
    m_wordDiff->setTextFormat(Qt::RichText);
    m_wordDiff->setToolTip(QString::fromUtf8(
        "逐词比较：＿ 漏写的词；删除线 多写的词；下划线 拼写接近；红色 写错的词"));
    m_answer = new CAnswerEdit(this);
    m_answer->setObjectName(QStringLiteral("answerEdit"));
    connect(m_answer, &CAnswerEdit::submitted, this, &CDictateSentPanel::Submit);
}

CDictateSentPanel::~CDictateSentPanel() = default;

void CDictateSentPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width(), h = height();
    m_table->setGeometry(0, 0, w, std::max(h - 100, 0));
    m_info->setGeometry(0, std::max(h - 100, 0), w, 25);
    m_wordDiff->setGeometry(4, std::max(h - 75, 0), std::max(w - 8, 0), 25);
    m_answer->setGeometry(0, std::max(h - 50, 0), w, 50);
    m_table->setColumnWidth(2, std::max(w - 128, 40));
}

CheckOptions CDictateSentPanel::Options() const {
    const DictationOptions o = DictationOptions::From(m_settings);
    return CheckOptions{o.ignoreCase, o.ignoreSpaces, o.ignorePunctuation, o.detectContractions};
}

void CDictateSentPanel::FillTable() {
    m_table->clear();
    QList<QTreeWidgetItem*> rows;
    const QStringList& dictated = m_session.Dictated();
    for (int i = 0; i < m_session.Total(); ++i)
        rows << new QTreeWidgetItem(QStringList{
            QString::number(i + 1), TimeText(m_host->SentenceStart(i)), dictated.value(i)});
    m_table->addTopLevelItems(rows);
}

void CDictateSentPanel::ShowCurrent(const QString& message) {
    m_answer->setFocus(); // the learner types at once
    m_wordDiff->clear();
    const int s = m_session.Running() ? m_session.Order()[size_t(m_session.Position())] : -1;
    if (QTreeWidgetItem* row = m_table->topLevelItem(s)) {
        m_table->setCurrentItem(row);
        m_table->scrollToItem(row);
    }
    m_info->Show(m_session.Position(), m_session.Total(), m_session.CurrentErrorCount(), message);
}

void CDictateSentPanel::ApplyOptions() {
    const DictationOptions o = DictationOptions::From(m_settings);
    m_session.SetToHardSent(o.errorsToHardSentence);
    m_session.SetRedoError(o.redoErrors);
}

void CDictateSentPanel::StartAll() {
    ApplyOptions();
    m_answer->clear();
    m_session.StartAll();
    FillTable();
    ShowCurrent(QString::fromUtf8("无信息"));
}

bool CDictateSentPanel::StartHardSentences(const std::vector<std::uint32_t>& starts) {
    ApplyOptions();
    m_answer->clear();
    if (!m_session.StartHardSentences(starts)) {
        Finish();
        return false;
    }
    FillTable();
    ShowCurrent(QString::fromUtf8("无信息"));
    return true;
}

void CDictateSentPanel::Begin() {
    if (!m_session.Running()) return;
    m_answer->clear();
    m_session.Begin();
    FillTable();
    ShowCurrent(QString::fromUtf8("无信息"));
}

void CDictateSentPanel::RedoErrors() {
    if (!m_session.RedoErrors()) {
        Finish();
        return;
    }
    FillTable();
    ShowCurrent(QString::fromUtf8("无信息"));
}

QString CDictateSentPanel::SoundPath(const char* name) const {
    const QString own = ProgramFolder() + "Sound/" + name;
    if (QFile::exists(own)) return own;
    // No sound beside the program: a tone of its own, made once.
    const QString made = DataFolder() + "Sound/" + name;
    if (!QFile::exists(made)) {
        QDir().mkpath(DataFolder() + "Sound");
        WriteWholeFile(made,
                       qstrcmp(name, "right.wav") == 0 ? ToneWav(880, 120) : ToneWav(220, 250));
    }
    return made;
}

void CDictateSentPanel::Submit() {
    if (m_busy || !m_session.Running()) return;
    const int s = m_session.Order()[size_t(m_session.Position())];
    CheckResult check;
    const auto outcome = m_session.Submit(m_answer->toPlainText(), Options(), &check);
    if (!check.right) {
        m_answer->MarkFrom(check.markStart);
        // Where it went wrong, word by word, without giving the missing words away.
        if (m_host)
            m_wordDiff->setText(
                WordDiffHtml(WordDiff(m_host->Reference(s), m_answer->toPlainText(), Options())));
        m_info->Show(m_session.Position(), m_session.Total(), m_session.CurrentErrorCount(),
                     QString::fromUtf8("听写错误！"));
        if (DictationOptions::From(m_settings).errorSound) {
            m_busy = true;
            m_sound->PlayThen(SoundPath("error.wav"), [this] { m_busy = false; });
        }
        return;
    }
    if (QTreeWidgetItem* row = m_table->topLevelItem(s))
        row->setText(2, m_session.Dictated().value(s));
    auto proceed = [this, outcome] {
        m_busy = false;
        m_answer->clear();
        m_answer->setCurrentCharFormat(TypedFormat());
        AfterAnswer(outcome);
    };
    if (DictationOptions::From(m_settings).rightSound) {
        m_busy = true;
        m_sound->PlayThen(SoundPath("right.wav"), proceed);
    } else {
        proceed();
    }
}

void CDictateSentPanel::AfterAnswer(CDictationSession::Outcome outcome) {
    switch (outcome) {
    case CDictationSession::Outcome::Next:
        ShowCurrent(QString::fromUtf8("听写正确！"));
        break;
    case CDictationSession::Outcome::Redo:
        FillTable();
        ShowCurrent(QString::fromUtf8("无信息"));
        break;
    case CDictationSession::Outcome::OfferSaveLrc:
        if (m_prompts && m_prompts->Ask(QString::fromUtf8(
                             "（智能听写模式）听写完成，是否将听写保存为LRC文件？")))
            SaveAsLrc();
        Stop(false);
        break;
    case CDictationSession::Outcome::Finished:
        Finish();
        break;
    case CDictationSession::Outcome::Wrong:
        break;
    }
}

void CDictateSentPanel::Finish() {
    Stop(false);
    ShowMessage(MessageKind::Information, QString::fromUtf8("听写全部完成！"));
}

void CDictateSentPanel::Stop(bool keepView) {
    m_session.Stop();
    m_table->clear();
    m_answer->clear();
    m_info->Show(0, 0, 0, QString::fromUtf8("无信息"));
    m_info->SetCountdown(-1);
    if (!keepView) {
        Q_EMIT stopped();
        if (m_host) m_host->StopPlayback();
    }
}

bool CDictateSentPanel::SaveAsLrc() {
    const QString media = m_host ? m_host->MediaPath() : QString();
    if (media.isEmpty()) return false;
    const QString path = LrcPathFor(media);
    std::vector<std::pair<std::uint32_t, QString>> lines;
    for (int i = 0; i < m_table->topLevelItemCount(); ++i) {
        // Word times stay where the line is the subtitle's own, unchanged.
        QString text = m_table->topLevelItem(i)->text(2);
        if (!text.isEmpty() && text == m_host->Reference(i)) text = m_host->TimedReference(i);
        lines.push_back({m_host->SentenceStart(i), text});
    }
    if (!WriteLrc(path, lines)) {
        ShowMessage(MessageKind::Error, QString::fromUtf8("无法写入文件：") + path);
        return false;
    }
    m_host->ReloadSubtitles(media);
    ShowMessage(MessageKind::Information, QString::fromUtf8("文件保存成功！"));
    return true;
}

} // namespace kestrova
