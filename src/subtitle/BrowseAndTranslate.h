// "全文浏览与翻译": the whole subtitle text of the open lesson, read-only, over a box for the
// learner's translation of it. "保存译文" writes the translation (when it changed) into the
// lesson's work and closes; "取消" closes and leaves the file as it was; a translation that
// could not be written keeps the dialog open, so nothing typed is lost. GUI thread.
#pragma once

#include "Lrc.h"

#include <QDialog>

class QPlainTextEdit;
class QTextEdit;

namespace kestrova {

class CBrowseAndTranslate : public QDialog {
    Q_OBJECT
public:
    // Without subtitle lines it says "LRC文件不存在，无法全文浏览！" and still shows the
    // saved translation.
    CBrowseAndTranslate(const LrcItems& items, QWidget* parent = nullptr);
    void LoadTranslation();
    bool SaveTranslation();

private:
    QTextEdit* m_fullText;
    QPlainTextEdit* m_translation;
};

} // namespace kestrova
