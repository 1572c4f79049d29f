// The "网络电台" page: the station list on the left, the stream player on the right (400
// pixels wide). The list is read from Data/rl.kdp when the page is made and written back after
// every change and when the page goes. GUI thread.
#pragma once

#include "RadioPlayer.h"
#include "RadioStations.h"

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;
class QTreeWidget;

namespace kestrova {

// The player's place on the page: the station's name, what the stream plays when it says,
// the state (connecting, buffering, playing, the reason it cannot play), play/stop, volume.
class CRadioPlayerView : public QWidget {
    Q_OBJECT
public:
    explicit CRadioPlayerView(CRadioPlayer& player, QWidget* parent = nullptr);

private:
    void Show();
    CRadioPlayer& m_player;
    QLabel* m_name;
    QLabel* m_title;
    QLabel* m_status;
    QToolButton* m_play;
    QToolButton* m_stop;
    QSlider* m_volume;
};

class CRadioPanel : public QWidget {
    Q_OBJECT
public:
    // `listPath`: the station list file (Data/rl.kdp).
    explicit CRadioPanel(const QString& listPath, QWidget* parent = nullptr);
    ~CRadioPanel() override;

    CRadioPlayer& Player() { return m_player; }
    const CRadioStations& Stations() const { return m_stations; }
    QTreeWidget* List() const { return m_list; }

    // The context menu's commands: play or delete the selected station (nothing for a row
    // without one), add stations through the add-station dialog.
    void PlaySelected();
    void DeleteStation();
    void AddStations();
    // Plays row i when a station stands behind it.
    void PlayRow(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowRows();
    int SelectedRow() const;
    QString m_listPath;
    CRadioStations m_stations;
    CRadioPlayer m_player;
    QTreeWidget* m_list;
    CRadioPlayerView* m_view;
};

} // namespace kestrova
