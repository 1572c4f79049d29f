#include "MediaInfoDlg.h"

#include "audio/MediaInfo.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kestrova {

CMediaInfoDlg::CMediaInfoDlg(const QString& report, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("音频信息"));
    auto* layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setPlainText(report);
    layout->addWidget(m_text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(520, 480);
}

QString CMediaInfoDlg::ReportFor(const QString& path) {
    // The library's report as it stands; it says nothing at all only about a file it cannot
    // open, and the learner is told that rather than shown an empty box.
    const QString report = CMediaInfo::Report(path);
    if (!report.trimmed().isEmpty()) return report;
    return QString::fromUtf8("无法读取文件“%1”。").arg(QDir::toNativeSeparators(path));
}

QString CMediaInfoDlg::Text() const {
    return m_text->toPlainText();
}

} // namespace kestrova
