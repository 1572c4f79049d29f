// The radio's two dialogs: "打开URL" (an address to play, with the history of entered ones)
// and "添加电台" (stations gathered one by one, added together on "添加并退出"). GUI thread.
#pragma once

#include "RadioStations.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrova {

class COpenUrlDlg : public QDialog {
    Q_OBJECT
public:
    // `historyPath`: the history file (Data/rh.kdp), read now and appended to on OK.
    explicit COpenUrlDlg(const QString& historyPath, QWidget* parent = nullptr);
    QString Url() const;
    QComboBox* Field() const { return m_url; }

    void accept() override;

private:
    QString m_historyPath;
    QComboBox* m_url;
    QPushButton* m_ok;
};

class CAddRadioDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAddRadioDlg(QWidget* parent = nullptr);
    // The stations gathered with "添加".
    const QList<RADIO_ITEM>& Stations() const { return m_stations; }

    // "添加": the two fields become a station, the fields clear, the count goes up.
    void Add();

private:
    QList<RADIO_ITEM> m_stations;
    QLineEdit* m_name;
    QLineEdit* m_url;
    QLabel* m_count;
};

} // namespace kestrova
