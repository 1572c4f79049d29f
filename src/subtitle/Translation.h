// The learner's translation of a lesson's subtitles, kept as `Temp/translate.dat` with the
// lesson's work: one line of the translation a line, each written with CR, CR, LF after it;
// a reader drops whatever CR and LF end a line. Written in the locale's encoding (UTF-8);
// older files in GB18030 read too. Also the whole subtitle text as the browse dialog shows
// it. No widgets.
#pragma once

#include "Lrc.h"

#include <QString>

namespace kestrova::translation {

QString FilePath(); // Temp/translate.dat
// The translation as the edit box holds it: lines joined by "\n", none after the last.
// Empty, and `found` false, when there is no file.
QString Load(const QString& path, bool* found = nullptr);
// Written whole; false (and the learner told which file and why) when it cannot be.
bool Save(const QString& path, const QString& text);
// Every line's text followed by two line feeds.
QString FullText(const LrcItems& items);

} // namespace kestrova::translation
