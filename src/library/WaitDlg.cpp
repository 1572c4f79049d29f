#include "WaitDlg.h"

#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

namespace kestrova {

QWidget* CreateWaitDlg(QWidget* parent) {
    auto* dialog = new QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setFixedSize(306, 67);
    auto* layout = new QVBoxLayout(dialog);
    auto* label = new QLabel(QString::fromUtf8("用户数据处理中，请稍候..."), dialog);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    return dialog;
}

} // namespace kestrova
