#include "Icons.h"

#include <QDir>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <memory>

// The set is compiled into a static library: its resources are registered on first use.
static void RegisterIcons() {
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

namespace kestrova {

namespace {

// Draws one SVG of the set; a disabled button's icon is the same drawing, faded.
class CSvgIconEngine : public QIconEngine {
public:
    explicit CSvgIconEngine(std::shared_ptr<QSvgRenderer> renderer)
        : m_renderer(std::move(renderer)) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        if (mode == QIcon::Disabled) painter->setOpacity(painter->opacity() * 0.35);
        m_renderer->render(painter, QRectF(rect));
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new CSvgIconEngine(m_renderer); }
    QString key() const override { return QStringLiteral("kestrova-svg"); }
    // The sizes a desktop picks from for window and tray icons.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : {16, 22, 24, 32, 48, 64, 128, 256})
            sizes << QSize(side, side);
        return sizes;
    }

private:
    std::shared_ptr<QSvgRenderer> m_renderer;
};

// Each drawing is read once; the views that switch icons as playback goes (play and pause)
// ask again and again.
QIcon SvgIcon(const QString& resource) {
    static QHash<QString, std::shared_ptr<QSvgRenderer>> renderers;
    std::shared_ptr<QSvgRenderer>& renderer = renderers[resource];
    if (!renderer) renderer = std::make_shared<QSvgRenderer>(resource);
    if (!renderer->isValid()) return QIcon();
    return QIcon(new CSvgIconEngine(renderer));
}

} // namespace

QIcon AppIcon(const QString& name) {
    RegisterIcons();
    return SvgIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
}

QIcon ProductIcon() {
    return AppIcon(QStringLiteral("kestrova"));
}

QStringList AppIconNames() {
    RegisterIcons();
    QStringList names;
    for (const QString& file : QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")}))
        names << file.chopped(4);
    return names;
}

} // namespace kestrova
