#include "GeneralPage.h"

#include "common/AppSetting.h"
#include "common/FontText.h"
#include "desktop/Autostart.h"
#include "subtitle/LrcView.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrova {

namespace {
struct Choice {
    const char* text;
    bool CAppSetting::*field;
    const char* name;
};
const Choice kChoices[8] = {
    {"窗口总在最上面", &CAppSetting::AlwaysTop, "alwaysTop"},
    {"总是显示系统托盘图标", &CAppSetting::ShowTrayIco, "showTrayIcon"},
    {"最小化到系统托盘", &CAppSetting::MinimizeToTray, "minimizeToTray"},
    {"关闭到系统托盘", &CAppSetting::CloseToTray, "closeToTray"},
    {"自动保存用户数据到音频文件目录下", &CAppSetting::AutoSaveCourseware, "autoSave"},
    {"登录桌面时自动运行", &CAppSetting::AutoRun, "autoRun"},
    {"程序退出时提示", &CAppSetting::PromptExit, "promptExit"},
    {"显示启动画面", &CAppSetting::ShowSplash, "showSplash"},
};
QFont DefaultSubtitleFont() {
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(10);
    return font;
}
} // namespace

CGeneralPage::CGeneralPage(CAppSetting& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_font(CLrcView::SubtitleFont(settings.GlobalFont)) {
    setObjectName(QStringLiteral("GeneralPage"));
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < 8; ++i) {
        m_boxes[i] = new QCheckBox(QString::fromUtf8(kChoices[i].text), this);
        m_boxes[i]->setObjectName(QString::fromLatin1(kChoices[i].name));
        m_boxes[i]->setChecked(settings.*kChoices[i].field);
        connect(m_boxes[i], &QCheckBox::clicked, this, &CGeneralPage::changed);
        layout->addWidget(m_boxes[i]);
    }
    auto* fontGroup = new QGroupBox(QString::fromUtf8("LRC字幕字体"), this);
    auto* fontLayout = new QHBoxLayout(fontGroup);
    m_sample = new QLabel(QStringLiteral("AaBbCcXxYyZz"), fontGroup);
    m_sample->setObjectName(QStringLiteral("fontSample"));
    m_sample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_sample->setFont(m_font);
    auto* choose = new QPushButton(QString::fromUtf8("选择字体"), fontGroup);
    auto* reset = new QPushButton(QString::fromUtf8("恢复默认字体"), fontGroup);
    reset->setObjectName(QStringLiteral("defaultFont"));
    fontLayout->addWidget(m_sample, 1);
    fontLayout->addWidget(choose);
    fontLayout->addWidget(reset);
    layout->addWidget(fontGroup);
    layout->addStretch(1);
    connect(choose, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, this);
        if (ok) SetFont(font);
    });
    connect(reset, &QPushButton::clicked, this, [this] { SetFont(DefaultSubtitleFont()); });
}

void CGeneralPage::SetFont(const QFont& font) {
    m_font = font;
    m_sample->setFont(font);
    m_fontChanged = true;
    Q_EMIT changed();
}

bool CGeneralPage::Store() {
    for (int i = 0; i < 8; ++i)
        m_settings.*kChoices[i].field = m_boxes[i]->isChecked();
    // Written or removed on every store; a failure leaves the learner's choice as it is.
    autostart::Set(m_settings.AutoRun, QCoreApplication::applicationFilePath());
    if (!m_fontChanged) return false;
    m_settings.GlobalFont = FontToText(m_font);
    m_fontChanged = false;
    return true;
}

} // namespace kestrova
