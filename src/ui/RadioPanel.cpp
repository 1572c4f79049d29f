#include "RadioPanel.h"

#include "RadioDialogs.h"
#include "controls/Icons.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestrova {

namespace {
constexpr int kPlayerWidth = 400;
} // namespace

CRadioPlayerView::CRadioPlayerView(CRadioPlayer& player, QWidget* parent)
    : QWidget(parent), m_player(player) {
    setObjectName(QStringLiteral("radioPlayer"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("radioName"));
    QFont bold = m_name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    m_name->setFont(bold);
    m_name->setWordWrap(true);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("radioTitle"));
    m_title->setWordWrap(true);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("radioStatus"));
    m_status->setWordWrap(true);
    column->addWidget(m_name);
    column->addWidget(m_title);
    column->addWidget(m_status);
    auto* row = new QHBoxLayout;
    auto button = [&](const char* name, const char* icon, const char* tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(AppIcon(QString::fromLatin1(icon)));
        b->setIconSize(QSize(24, 24));
        b->setToolTip(QString::fromUtf8(tip));
        b->setAutoRaise(true);
        row->addWidget(b);
        return b;
    };
    m_play = button("radioPlay", "play", "播放");
    m_stop = button("radioStop", "stop", "停止");
    row->addSpacing(12);
    auto* speaker = new QLabel(this);
    speaker->setPixmap(AppIcon(QStringLiteral("volume")).pixmap(18, 18));
    row->addWidget(speaker);
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("radioVolume"));
    m_volume->setRange(0, 100);
    m_volume->setToolTip(QString::fromUtf8("音量"));
    row->addWidget(m_volume, 1);
    column->addLayout(row);
    column->addStretch(1);

    connect(m_play, &QToolButton::clicked, &m_player, &CRadioPlayer::Replay);
    connect(m_stop, &QToolButton::clicked, &m_player, &CRadioPlayer::Stop);
    connect(m_volume, &QSlider::valueChanged, &m_player, &CRadioPlayer::SetVolume);
    connect(&m_player, &CRadioPlayer::changed, this, &CRadioPlayerView::Show);
    Show();
}

void CRadioPlayerView::Show() {
    // Asked to play something (a station without an address fails, and says so).
    const bool any = !m_player.Url().isEmpty() || m_player.GetState() != CRadioPlayer::State::Stopped;
    m_name->setText(any ? m_player.Name() : QString::fromUtf8("未选择电台"));
    m_name->setToolTip(m_player.Url());
    const bool failed = m_player.GetState() == CRadioPlayer::State::Failed;
    const bool sounding = m_player.GetState() != CRadioPlayer::State::Stopped && !failed;
    // What the stream says it plays, while it plays.
    m_title->setText(m_player.StreamTitle());
    m_title->setVisible(sounding && !m_player.StreamTitle().isEmpty());
    m_status->setText(any ? m_player.StatusText()
                          : QString::fromUtf8("双击左边的电台开始收听，或用“打开URL...”输入网址。"));
    m_status->setStyleSheet(failed ? QStringLiteral("color: #b00020;") : QString());
    m_play->setEnabled(!m_player.Url().isEmpty() && !sounding);
    m_stop->setEnabled(sounding);
    const QSignalBlocker block(m_volume);
    m_volume->setValue(m_player.Volume());
}

CRadioPanel::CRadioPanel(const QString& listPath, QWidget* parent)
    : QWidget(parent), m_listPath(listPath), m_player(this) {
    setObjectName(QStringLiteral("RadioPanel"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("radioList"));
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("radio")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(false);
    m_list->setColumnWidth(0, 200);
    m_list->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_list->viewport()->installEventFilter(this);
    m_view = new CRadioPlayerView(m_player, this);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { PlayRow(m_list->indexOfTopLevelItem(item)); });

    m_stations.Load(m_listPath);
    ShowRows();
}

CRadioPanel::~CRadioPanel() {
    m_player.Stop();
    m_stations.Save(m_listPath);
}

void CRadioPanel::ShowRows() {
    m_list->clear();
    for (const QString& name : m_stations.Rows())
        m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{name}));
}

int CRadioPanel::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.first());
}

void CRadioPanel::PlayRow(int row) {
    if (row < 0 || row >= m_stations.Count()) return;
    const RADIO_ITEM& station = m_stations.Stations()[row];
    m_player.Play(station.url, station.name);
}

void CRadioPanel::PlaySelected() {
    PlayRow(SelectedRow());
}

void CRadioPanel::DeleteStation() {
    if (!m_stations.Remove(SelectedRow())) return;
    ShowRows();
    m_stations.Save(m_listPath); // nothing the learner changed waits for the program's end
}

void CRadioPanel::AddStations() {
    CAddRadioDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_stations.Append(dialog.Stations());
    ShowRows();
    m_stations.Save(m_listPath);
}

void CRadioPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width(), h = height();
    m_list->setGeometry(0, 0, std::max(w - kPlayerWidth, 0), h);
    m_view->setGeometry(w - kPlayerWidth, 0, kPlayerWidth, h);
    m_list->setColumnWidth(0, std::max(w - 410, 0));
}

bool CRadioPanel::eventFilter(QObject* watched, QEvent* event) {
    // The menu opens over the rows (not the header) while a row is selected.
    if (watched == m_list->viewport() && event->type() == QEvent::ContextMenu) {
        auto* e = static_cast<QContextMenuEvent*>(event);
        if (SelectedRow() < 0) return true;
        QMenu menu(this);
        menu.addAction(QString::fromUtf8("播放选中"), this, &CRadioPanel::PlaySelected);
        menu.addAction(QString::fromUtf8("删除电台"), this, &CRadioPanel::DeleteStation);
        menu.addAction(QString::fromUtf8("添加电台"), this, &CRadioPanel::AddStations);
        menu.exec(e->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kestrova
