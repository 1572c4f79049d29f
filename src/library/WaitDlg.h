// A small window saying "用户数据处理中，请稍候..." while the archiver runs.
#pragma once

class QWidget;

namespace kestrova {

QWidget* CreateWaitDlg(QWidget* parent);

} // namespace kestrova
