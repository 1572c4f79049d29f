// "音频信息": the media-information library's basic report on a file, in a read-only text
// field with OK and Cancel. GUI thread.
#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace kestrova {

class CMediaInfoDlg : public QDialog {
    Q_OBJECT
public:
    CMediaInfoDlg(const QString& report, QWidget* parent = nullptr);
    // The report on a file, or a line saying it cannot be read when the library has none.
    static QString ReportFor(const QString& path);
    QString Text() const;

private:
    QPlainTextEdit* m_text;
};

} // namespace kestrova
