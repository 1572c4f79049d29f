#include "MainSiderPanel.h"

#include "common/AppSetting.h"
#include "common/Util.h"
#include "controls/Icons.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMovie>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kestrova {

CMainSiderPanel::CMainSiderPanel(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("MainSiderPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("logo"));
    m_logo->setAlignment(Qt::AlignCenter);
    m_logo->setCursor(Qt::PointingHandCursor);
    const QString logo = ProgramFolder() + "logo.gif";
    if (QFile::exists(logo)) {
        auto* movie = new QMovie(logo, QByteArray(), m_logo);
        m_logo->setMovie(movie);
        movie->start();
    } else {
        // Without a picture of the learner's own, the product's.
        m_logo->setPixmap(ProductIcon().pixmap(QSize(72, 72), devicePixelRatioF()));
        m_logo->setMinimumHeight(80);
    }
    m_logo->installEventFilter(this); // a click on the picture opens the product's page
    layout->addWidget(m_logo);

    auto* common = new QGroupBox(QString::fromUtf8("常用操作"), this);
    auto* links = new QVBoxLayout(common);
    // Link text, and the command it sends.
    const std::pair<const char*, CommandId> items[] = {
        {"打开音频文件", CommandId::OpenFile}, {"切换到迷你窗口", CommandId::MiniWindow},
        {"断句当前音频", CommandId::Split},    {"音效控制", CommandId::PanelEffects},
        {"跟读对比", CommandId::PanelRecord},  {"全文浏览与翻译", CommandId::FullText}};
    for (const auto& [text, id] : items) {
        auto* link =
            new QLabel(QStringLiteral("<a href=\"#\">%1</a>").arg(QString::fromUtf8(text)), common);
        link->setObjectName(QString::fromLatin1(Command(id).name));
        link->setCursor(Qt::PointingHandCursor);
        connect(link, &QLabel::linkActivated, this, [this, id = id] { Q_EMIT command(id); });
        links->addWidget(link);
    }
    layout->addWidget(common);

    auto* wordRow = new QHBoxLayout;
    m_word = new QLineEdit(this);
    m_word->setObjectName(QStringLiteral("wordBox"));
    auto* find = new QToolButton(this);
    find->setText(QString::fromUtf8("查"));
    find->setToolTip(QString::fromUtf8("查找单词"));
    wordRow->addWidget(m_word, 1);
    wordRow->addWidget(find);
    layout->addLayout(wordRow);
    auto lookUp = [this] {
        if (!m_word->text().isEmpty()) QDesktopServices::openUrl(DictionaryUrl(m_word->text()));
    };
    connect(find, &QToolButton::clicked, this, lookUp);
    connect(m_word, &QLineEdit::returnPressed, this, lookUp);

    auto* repeat = new QGroupBox(QString::fromUtf8("自动逐句复读选项"), this);
    auto* form = new QFormLayout(repeat);
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    m_count = new QComboBox(repeat);
    m_count->setObjectName(QStringLiteral("countList"));
    for (const Choice& count : kPassCounts)
        m_count->addItem(QString::fromUtf8(count.text));
    m_pause = new QComboBox(repeat);
    m_pause->setObjectName(QStringLiteral("pauseList"));
    m_pause->addItem(QString::fromUtf8("不使用"));
    for (const char* text : kPauseChoiceTexts)
        m_pause->addItem(QString::fromUtf8(text));
    form->addRow(QString::fromUtf8("复读次数"), m_count);
    form->addRow(QString::fromUtf8("句间暂停时长"), m_pause);
    layout->addWidget(repeat);
    layout->addStretch(1);

    SyncFromSettings();
    connect(m_count, &QComboBox::activated, this, [this](int i) {
        if (i < 0 || i >= int(kPassCounts.size())) return;
        RepeatOptions o = RepeatOptions::From(m_settings);
        o.passes = kPassCounts[std::size_t(i)].value;
        m_settings.Apply(o);
    });
    connect(m_pause, &QComboBox::activated, this, [this](int i) {
        RepeatOptions o = RepeatOptions::From(m_settings);
        o.pauseAfterPass = i > 0;
        if (i > 0) o.pause = PauseChoice(i - 1);
        m_settings.Apply(o);
    });
    // The options dialog changes the same choices.
    connect(&m_settings, &CAppSetting::changed, this, [this](CAppSetting::Group group) {
        if (group == CAppSetting::Group::Repeat) SyncFromSettings();
    });
}

void CMainSiderPanel::SyncFromSettings() {
    const RepeatOptions o = RepeatOptions::From(m_settings);
    m_count->setCurrentIndex(IndexOfChoice(kPassCounts, o.passes));
    m_pause->setCurrentIndex(o.pauseAfterPass ? int(o.pause) + 1 : 0);
}

bool CMainSiderPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_logo && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_logo->rect().contains(mouse->position().toPoint()))
            Q_EMIT command(CommandId::Website);
    }
    return QWidget::eventFilter(watched, event);
}

QUrl CMainSiderPanel::DictionaryUrl(const QString& word) {
    return QUrl(QString::fromLatin1(kDictionarySite) + "/search/?q=" + word);
}

} // namespace kestrova
