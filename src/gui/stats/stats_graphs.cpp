#include "gui/stats/stats_graphs.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace fw::gui {

QColor bgr(std::uint32_t v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

CurveWidget::CurveWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    setMinimumSize(300, 160);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
}

void CurveWidget::setCurve(fw::stats::CurveResult c) {
    m_curve = std::move(c);
    update();
}

void CurveWidget::clear() {
    m_curve = {};
    update();
}

void CurveWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const auto& c = m_curve;
    if (c.columns.empty() || c.Max <= 0) return;
    const double w = width(), h = height();
    const double cols = double(c.columns.size());
    const double colWidth = std::max(1.0, w / cols);
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
        const auto& col = c.columns[i];
        std::uint32_t colour = col.type == fw::stats::StatsRecord::Type::I   ? 192u
                               : col.type == fw::stats::StatsRecord::Type::B ? 0x80FF80u
                                                                              : 0xC00000u;
        const double x = double(i) * w / cols;
        const double top = h - h * double(col.size) / c.Max;
        p.fillRect(QRectF(x, top, colWidth, h - top), bgr(colour));
    }
    p.setPen(QPen(bgr(65535), 1));
    const double y = h - h * c.average / c.Max;
    p.drawLine(QPointF(0, y), QPointF(w, y));
}

DistributionWidget::DistributionWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture2"));
    setMinimumSize(300, 120);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void DistributionWidget::setCurve(fw::stats::CurveResult c) {
    m_curve = std::move(c);
    update();
}

void DistributionWidget::clear() {
    m_curve = {};
    update();
}

void DistributionWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const auto& d = m_curve.distribution;
    const double a = m_curve.average;
    if (a <= 0) return;
    double top = 1;
    for (double v : d.below) top = std::max(top, v);
    for (double v : d.above) top = std::max(top, v);
    // The horizontal extent runs from the smallest frame's distance below the average to the
    // largest frame's size against it, both in percent of the average.
    const double left = -(100 - 100.0 * m_curve.Min / a);
    const double right = std::max(100.0 * m_curve.Max / a, 100.0);
    const double span = std::max(right - left, 1.0);
    const double w = width(), h = height() - 14;
    auto xOf = [&](double pct) { return (pct - left) / span * w; };
    p.setPen(Qt::NoPen);
    p.setBrush(bgr(0xC00000));
    for (int b = 0; b < 10; ++b) {
        // Below bucket b holds sizes from b*10 to (b+1)*10 % of the average: -100+10b .. -90+10b.
        const double x0 = xOf(-100 + 10 * b), x1 = xOf(-90 + 10 * b);
        const double bar = h * d.below[static_cast<std::size_t>(b)] / top;
        p.drawRect(QRectF(x0, h - bar, std::max(1.0, x1 - x0 - 1), bar));
    }
    p.setBrush(bgr(0x008000));
    for (int b = 1; b < 12; ++b) {
        // Above bucket b holds sizes from b/1.5 to (b+1)/1.5 of the average.
        const double x0 = xOf(100 * b / 1.5 - 100 + 0.0), x1 = xOf(100 * (b + 1) / 1.5 - 100);
        const double bar = h * d.above[static_cast<std::size_t>(b)] / top;
        p.drawRect(QRectF(std::max(x0, xOf(0)), h - bar, std::max(1.0, x1 - std::max(x0, xOf(0)) - 1), bar));
    }
    p.setPen(QPen(bgr(192), 2));
    p.drawLine(QPointF(xOf(0), 0), QPointF(xOf(0), h));
    p.setPen(Qt::black);
    p.drawText(QRectF(0, h, w, 14), Qt::AlignLeft, QString::number(std::lround(left)) + QStringLiteral("%"));
    p.drawText(QRectF(0, h, w, 14), Qt::AlignRight, QStringLiteral("+") + QString::number(std::lround(right - 100)) + QStringLiteral("%"));
}

}  // namespace fw::gui
