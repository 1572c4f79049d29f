#include "MediaInfoDlg.h"

#include "audio/MediaInfo.h"

#include <QDialogButtonBox>
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
    return CMediaInfo::Report(path);
}

QString CMediaInfoDlg::Text() const {
    return m_text->toPlainText();
}

} // namespace kestrova
