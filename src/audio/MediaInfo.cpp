#include "MediaInfo.h"

#include <MediaInfo/MediaInfo.h>

namespace kestrova {

namespace {
MediaInfoLib::String ToMi(const QString& s) {
    return s.toStdWString();
}
QString FromMi(const MediaInfoLib::String& s) {
    return QString::fromStdWString(s);
}
} // namespace

bool CMediaInfo::ReadGeneral(const QString& path, General& out) {
    MediaInfoLib::MediaInfo mi;
    mi.Option(ToMi("Complete"), ToMi(""));
    if (mi.Open(ToMi(path)) == 0) return false;
    out.track = FromMi(mi.Get(MediaInfoLib::Stream_General, 0, ToMi("Track")));
    out.performer = FromMi(mi.Get(MediaInfoLib::Stream_General, 0, ToMi("Performer")));
    out.bitRate = FromMi(mi.Get(MediaInfoLib::Stream_General, 0, ToMi("BitRate")));
    mi.Close();
    return true;
}

QString CMediaInfo::Report(const QString& path) {
    MediaInfoLib::MediaInfo mi;
    // An empty value asks for the basic report the learner reads; "1" would give the full
    // technical one, every internal field included.
    mi.Option(ToMi("Complete"), ToMi(""));
    const bool opened = mi.Open(ToMi(path)) != 0;
    // Whatever the library says, also about a file it could not make sense of.
    const QString report = FromMi(mi.Inform());
    if (opened) mi.Close();
    return report;
}

} // namespace kestrova
