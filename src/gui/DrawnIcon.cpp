#include "DrawnIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

class DrawnIconEngine : public QIconEngine
{
public:
    DrawnIconEngine(DrawnIcon::Painting painting, qreal grid, QList<int> sizes)
        : m_painting(painting)
        , m_grid(grid)
        , m_sizes(std::move(sizes))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::max(1, std::min(size.width(), size.height()));
        // Selected and active pictures are the normal one; only disabled differs.
        const bool disabled = mode == QIcon::Disabled;
        for (const Drawn &drawn : std::as_const(m_drawn)) {
            if (drawn.side == side && drawn.disabled == disabled)
                return drawn.pixmap;
        }
        QPixmap pixmap = draw(side);
        if (disabled) {
            // The style greys a picture as it greys its own; without a widgets application (no style),
            // the normal picture stands.
            if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
                QStyleOption option;
                option.palette = QApplication::palette();
                pixmap = QApplication::style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
            }
        }
        m_drawn.push_back({side, disabled, pixmap});
        return pixmap;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const int size : std::as_const(m_sizes))
            sizes << QSize(size, size);
        return sizes;
    }

    QIconEngine *clone() const override { return new DrawnIconEngine(*this); }

private:
    struct Drawn
    {
        int side;
        bool disabled;
        QPixmap pixmap;
    };

    QPixmap draw(int side) const
    {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / m_grid, side / m_grid);
        m_painting(p);
        return pixmap;
    }

    DrawnIcon::Painting m_painting;
    qreal m_grid;
    QList<int> m_sizes;
    QList<Drawn> m_drawn;
};

} // namespace

QIcon DrawnIcon::make(Painting painting, qreal grid, QList<int> sizes)
{
    return QIcon(new DrawnIconEngine(painting, grid, std::move(sizes)));
}
