#include "MediaFilter.h"

#include <QStringList>

namespace kestrova {

QString MediaFileFilter() {
    // The first entry also lists the other formats the engine plays (m4a, aiff, flac and the
    // module formats), so that a learner's file is never hidden by the filter.
    return QStringList{
        "Media files (all types) (*.mp1 *.mp2 *.mp3 *.mp4 *.ogg *.wav *.aif *.wma *.mod *.kcw "
        "*.m4a *.aiff *.flac *.xm *.it *.s3m)",
        "Mp4 File (*.mp4)",
        "Mp3 File (*.mp3)",
        "Mp2 File (*.mp2)",
        "Mp1 File (*.mp1)",
        "Wave File (*.wav)",
        "Ogg File (*.ogg)",
        "Aif File (*.aif)",
        "Wma File (*.wma)",
        "Mod File (*.mod)",
        "Courseware File (*.kcw)",
        "All Files (*)"}
        .join(";;");
}

} // namespace kestrova
