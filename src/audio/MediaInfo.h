// The media-information library behind one small class: the general fields the playlist
// shows (title, performer, bit rate) and the full text report. Thread-safe per call.
#pragma once

#include <QString>

namespace kestrova {

class CMediaInfo {
public:
    struct General {
        QString track;
        QString performer;
        QString bitRate; // bits per second, as text
    };
    // False when the library cannot open the file.
    static bool ReadGeneral(const QString& path, General& out);
    // The full report with the "Complete" option; empty when the file cannot be opened.
    static QString Report(const QString& path);
};

} // namespace kestrova
