// The radio page's station list and the history of opened addresses, as the program keeps
// them in its data folder: Data/rl.kdp (two lines per station, the name then the address)
// and Data/rh.kdp (one entered address per line, oldest first, duplicates kept). No widgets.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kestrova {

struct RADIO_ITEM {
    QString name;
    QString url;
};

class CRadioStations {
public:
    // Reads the list file (created empty when missing). A last name without an address line
    // shows as a row with no station behind it. False when the file cannot be read.
    bool Load(const QString& path);
    // Writes the stations back, whole and atomic; the previous file stays on failure (the
    // learner is told which file and why).
    bool Save(const QString& path) const;

    const QList<RADIO_ITEM>& Stations() const { return m_stations; }
    int Count() const { return int(m_stations.size()); }
    // What the list shows: one row per station, plus a trailing name read without an address
    // until the rows are rebuilt.
    const QStringList& Rows() const { return m_rows; }
    // The address of row i; empty for a row without a station.
    QString UrlAt(int row) const;

    // Removes station i (nothing outside the array) and rebuilds the rows. True when removed.
    bool Remove(int index);
    // Appends the stations and rebuilds the rows.
    void Append(const QList<RADIO_ITEM>& stations);

private:
    void RebuildRows();
    QList<RADIO_ITEM> m_stations;
    QStringList m_rows;
};

// The history of the open-address dialog: every line of the file in file order (the file is
// created empty when missing), and an entry appended as a new last line.
QStringList ReadUrlHistory(const QString& path);
bool AppendUrlHistory(const QString& path, const QString& url);

// Data/rl.kdp and Data/rh.kdp in the program's data folder.
QString RadioListPath();
QString RadioHistoryPath();

} // namespace kestrova
