#include "AboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <cmath>

namespace kestrova {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog) {
    setObjectName(QStringLiteral("AboutDlg"));
    // 314 by 103 dialog units of the classic 8-point dialog font.
    setFixedSize(471, 167);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->addStretch(1);
    auto* row = new QHBoxLayout;
    auto* version = new QLabel(VersionText(), this);
    version->setObjectName(QStringLiteral("versionLabel"));
    auto* product = new QLabel(ProductLine(), this);
    product->setObjectName(QStringLiteral("productLabel"));
    for (QLabel* label : {version, product}) {
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    }
    row->addWidget(version);
    row->addStretch(1);
    row->addWidget(product);
    layout->addLayout(row);
}

QString CAboutDlg::VersionText() {
    return QStringLiteral("Version : %1.%2.%3.%4")
        .arg(KESTROVA_VERSION_MAJOR)
        .arg(KESTROVA_VERSION_MINOR)
        .arg(KESTROVA_VERSION_BUILD)
        .arg(KESTROVA_VERSION_REVISION);
}

QString CAboutDlg::ProductLine() {
    return QString::fromUtf8("Kestrova 语言学习复读机");
}

void CAboutDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, width(), height());
    sky.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
    sky.setColorAt(1, QColor(0x2a, 0x9d, 0x8f));
    p.fillRect(rect(), sky);
    // A kestrel's wing over a sound wave: the product's mark.
    p.setPen(QPen(QColor(255, 255, 255, 90), 3));
    QPainterPath wave;
    wave.moveTo(20, 95);
    for (int x = 20; x < width() - 20; x += 6)
        wave.lineTo(x, 95 - 18 * std::sin(x / 14.0) * std::exp(-std::pow((x - 235) / 130.0, 2)));
    p.drawPath(wave);
    QFont title = font();
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 18, width(), 60), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("Kestrova"));
    QFont sub = font();
    sub.setPixelSize(14);
    p.setFont(sub);
    p.drawText(QRect(0, 70, width(), 24), Qt::AlignHCenter, QStringLiteral("Professional"));
}

void CAboutDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) accept();
    QDialog::mouseReleaseEvent(event);
}

} // namespace kestrova
