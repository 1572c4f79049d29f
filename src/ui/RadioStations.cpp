#include "RadioStations.h"

#include "common/StdioFileEx.h"
#include "common/Util.h"

#include <QDir>
#include <QFileInfo>

namespace kestrova {

bool CRadioStations::Load(const QString& path) {
    m_stations.clear();
    m_rows.clear();
    QStringList lines;
    if (!CStdioFileEx::ReadLinesOrCreate(path, lines)) return false;
    // Even lines are names (a row at once), odd lines the address that makes it a station.
    for (int i = 0; i < lines.size(); ++i) {
        if (i % 2 == 0)
            m_rows << lines[i];
        else
            m_stations.append({lines[i - 1], lines[i]});
    }
    return true;
}

bool CRadioStations::Save(const QString& path) const {
    QStringList lines;
    for (const RADIO_ITEM& station : m_stations)
        lines << station.name << station.url;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return CheckWrite(path, CStdioFileEx::WriteLines(path, lines));
}

QString CRadioStations::UrlAt(int row) const {
    return row >= 0 && row < Count() ? m_stations[row].url : QString();
}

bool CRadioStations::Remove(int index) {
    if (index < 0 || index >= Count()) return false;
    m_stations.removeAt(index);
    RebuildRows();
    return true;
}

void CRadioStations::Append(const QList<RADIO_ITEM>& stations) {
    m_stations += stations;
    RebuildRows();
}

void CRadioStations::RebuildRows() {
    m_rows.clear();
    for (const RADIO_ITEM& station : m_stations)
        m_rows << station.name;
}

QStringList ReadUrlHistory(const QString& path) {
    QStringList lines;
    CStdioFileEx::ReadLinesOrCreate(path, lines);
    return lines;
}

bool AppendUrlHistory(const QString& path, const QString& url) {
    // A history that cannot be read is left as it is rather than replaced by one line.
    QStringList lines;
    if (!CStdioFileEx::ReadLinesOrCreate(path, lines))
        return CheckWrite(path, false, QString::fromUtf8("文件不能读取"));
    lines << url;
    return CheckWrite(path, CStdioFileEx::WriteLines(path, lines));
}

QString RadioListPath() {
    return DataFolder() + QStringLiteral("Data/rl.kdp");
}

QString RadioHistoryPath() {
    return DataFolder() + QStringLiteral("Data/rh.kdp");
}

} // namespace kestrova
