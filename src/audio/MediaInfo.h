// The media-information library behind one small class: the general fields the playlist
// shows (title, performer, bit rate) and the text report. Thread-safe per call.
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
    // The library's basic report (the "Complete" option empty), as the library gives it
    // also for a file it cannot make sense of; empty only when it says nothing at all (a
    // file that cannot be opened).
    static QString Report(const QString& path);
};

} // namespace kestrova
