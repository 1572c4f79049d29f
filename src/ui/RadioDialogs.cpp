#include "RadioDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrova {

COpenUrlDlg::COpenUrlDlg(const QString& historyPath, QWidget* parent)
    : QDialog(parent), m_historyPath(historyPath) {
    setWindowTitle(QString::fromUtf8("打开URL"));
    auto* column = new QVBoxLayout(this);
    m_url = new QComboBox(this);
    m_url->setObjectName(QStringLiteral("urlField"));
    m_url->setEditable(true);
    m_url->setInsertPolicy(QComboBox::NoInsert);
    m_url->setMinimumWidth(360);
    // Every line of the history, in file order, duplicates too.
    m_url->addItems(ReadUrlHistory(historyPath));
    m_url->setCurrentIndex(-1);
    m_url->setEditText(QString());
    column->addWidget(m_url);
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QString::fromUtf8("确定"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(QString::fromUtf8("取消"), QDialogButtonBox::RejectRole);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &COpenUrlDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COpenUrlDlg::reject);
    // No address, nothing to open.
    auto check = [this] { m_ok->setEnabled(!Url().isEmpty()); };
    connect(m_url, &QComboBox::editTextChanged, this, check);
    check();
}

QString COpenUrlDlg::Url() const {
    return m_url->currentText().trimmed();
}

void COpenUrlDlg::accept() {
    if (Url().isEmpty()) return;
    AppendUrlHistory(m_historyPath, Url());
    QDialog::accept();
}

CAddRadioDlg::CAddRadioDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("添加电台"));
    auto* form = new QFormLayout(this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("stationName"));
    m_url = new QLineEdit(this);
    m_url->setObjectName(QStringLiteral("stationUrl"));
    m_url->setMinimumWidth(320);
    form->addRow(QString::fromUtf8("电台名称"), m_name);
    form->addRow(QString::fromUtf8("电台网址"), m_url);
    m_count = new QLabel(QString::fromUtf8("已添加电台数：0"), this);
    m_count->setObjectName(QStringLiteral("stationCount"));
    form->addRow(m_count);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* add = buttons->addButton(QString::fromUtf8("添加"), QDialogButtonBox::ActionRole);
    add->setObjectName(QStringLiteral("addButton"));
    add->setDefault(true); // Enter adds the station typed, ready for the next
    buttons->addButton(QString::fromUtf8("添加并退出"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("addAndExitButton"));
    buttons->addButton(QString::fromUtf8("取消"), QDialogButtonBox::RejectRole);
    form->addRow(buttons);
    connect(add, &QPushButton::clicked, this, &CAddRadioDlg::Add);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAddRadioDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAddRadioDlg::reject);
}

void CAddRadioDlg::Add() {
    m_stations.append({m_name->text(), m_url->text()});
    m_name->clear();
    m_url->clear();
    m_count->setText(QString::fromUtf8("已添加电台数：") + QString::number(m_stations.size()));
    m_name->setFocus();
}

} // namespace kestrova
