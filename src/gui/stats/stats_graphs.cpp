#include "gui/stats/stats_graphs.h"

#include "gui/ui/widgets.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace fw::gui {

QColor bgr(std::uint32_t v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

CurveWidget::CurveWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    setMinimumSize(360, 200);
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

namespace {

// Room around a graph for its axes: labels left and below, the legend above.
constexpr double kLeft = 56, kBottom = 30, kTop = 18, kRight = 8;

QString thousands(double v) {
    QString t = QString::number(std::llround(v));
    for (int i = t.size() - 3; i > (t.startsWith(QLatin1Char('-')) ? 1 : 0); i -= 3) t.insert(i, QLatin1Char(' '));
    return t;
}

// A legend: coloured swatches with their meaning, left to right from x.
void legend(QPainter& p, double x, double y, const std::vector<std::pair<QColor, QString>>& items, const QColor& text) {
    const QFontMetricsF fm(p.font());
    for (const auto& [colour, label] : items) {
        p.fillRect(QRectF(x, y + 3, 10, 10), colour);
        p.setPen(text);
        p.drawText(QPointF(x + 14, y + 12), label);
        x += 14 + fm.horizontalAdvance(label) + 12;
    }
}

}  // namespace

void CurveWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const auto& c = m_curve;
    if (c.columns.empty() || c.Max <= 0) return;
    const QColor text(220, 220, 220);
    const QRectF plot(kLeft, kTop, std::max(10.0, width() - kLeft - kRight), std::max(10.0, height() - kTop - kBottom));
    const double cols = double(c.columns.size());
    const double colWidth = std::max(1.0, plot.width() / cols);
    // The program's own colours: red I-frames, blue P-frames, light green B-frames, a yellow average.
    for (std::size_t i = 0; i < c.columns.size(); ++i) {
        const auto& col = c.columns[i];
        std::uint32_t colour = col.type == fw::stats::StatsRecord::Type::I   ? 192u
                               : col.type == fw::stats::StatsRecord::Type::B ? 0x80FF80u
                                                                              : 0xC00000u;
        const double x = plot.left() + double(i) * plot.width() / cols;
        const double top = plot.bottom() - plot.height() * double(col.size) / c.Max;
        p.fillRect(QRectF(x, top, colWidth, plot.bottom() - top), bgr(colour));
    }
    p.setPen(QPen(bgr(65535), 1));
    const double y = plot.bottom() - plot.height() * c.average / c.Max;
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    // Axes: bytes up the side, frames along the bottom.
    p.setPen(text);
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawText(QRectF(0, plot.top() - 6, kLeft - 4, 14), Qt::AlignRight, thousands(c.Max));
    p.drawText(QRectF(0, y - 7, kLeft - 4, 14), Qt::AlignRight, thousands(c.average));
    p.drawText(QRectF(0, plot.bottom() - 14, kLeft - 4, 14), Qt::AlignRight, QStringLiteral("0"));
    p.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), 14), Qt::AlignLeft, QStringLiteral("1"));
    p.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), 14), Qt::AlignRight, thousands(double(c.frames)));
    p.drawText(QRectF(plot.left(), plot.bottom() + 14, plot.width(), 14), Qt::AlignHCenter, lang("StatsGraphs", 1));
    p.save();
    p.translate(10, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, -8, plot.height(), 14), Qt::AlignHCenter, lang("StatsGraphs", 2));
    p.restore();
    legend(p, plot.left() + 4, 0,
           {{bgr(192), lang("StatsGraphs", 3)}, {bgr(0xC00000), lang("StatsGraphs", 4)}, {bgr(0x80FF80), lang("StatsGraphs", 5)},
            {bgr(65535), lang("StatsGraphs", 6)}},
           text);
}

DistributionWidget::DistributionWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture2"));
    setMinimumSize(360, 160);
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
    const QRectF plot(kLeft, kTop, std::max(10.0, width() - kLeft - kRight), std::max(10.0, height() - kTop - kBottom));
    auto xOf = [&](double pct) { return plot.left() + (pct - left) / span * plot.width(); };
    // Colours of its own, none of the curve's frame colours: the bars are counts, not frame types.
    const QColor below(0x3c, 0x8c, 0x8c), above(0xd0, 0x80, 0x20);
    p.setPen(Qt::NoPen);
    p.setBrush(below);
    for (int b = 0; b < 10; ++b) {
        // Below bucket b holds sizes from b*10 to (b+1)*10 % of the average: -100+10b .. -90+10b.
        const double x0 = xOf(-100 + 10 * b), x1 = xOf(-90 + 10 * b);
        const double bar = plot.height() * d.below[static_cast<std::size_t>(b)] / top;
        p.drawRect(QRectF(x0, plot.bottom() - bar, std::max(1.0, x1 - x0 - 1), bar));
    }
    p.setBrush(above);
    for (int b = 1; b < 12; ++b) {
        // Above bucket b holds sizes from b/1.5 to (b+1)/1.5 of the average.
        const double x0 = xOf(100 * b / 1.5 - 100 + 0.0), x1 = xOf(100 * (b + 1) / 1.5 - 100);
        const double bar = plot.height() * d.above[static_cast<std::size_t>(b)] / top;
        p.drawRect(QRectF(std::max(x0, xOf(0)), plot.bottom() - bar, std::max(1.0, x1 - std::max(x0, xOf(0)) - 1), bar));
    }
    // The reference line for the average, red; dashed, so it is never taken for a bar.
    p.setPen(QPen(bgr(192), 2, Qt::DashLine));
    p.drawLine(QPointF(xOf(0), plot.top()), QPointF(xOf(0), plot.bottom()));
    p.setPen(Qt::black);
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawText(QRectF(0, plot.top() - 6, kLeft - 4, 14), Qt::AlignRight, thousands(top));
    p.drawText(QRectF(0, plot.bottom() - 14, kLeft - 4, 14), Qt::AlignRight, QStringLiteral("0"));
    p.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), 14), Qt::AlignLeft, QString::number(std::lround(left)) + QStringLiteral("%"));
    p.drawText(QRectF(xOf(0) - 20, plot.bottom() + 2, 40, 14), Qt::AlignHCenter, QStringLiteral("0%"));
    p.drawText(QRectF(plot.left(), plot.bottom() + 2, plot.width(), 14), Qt::AlignRight,
               QStringLiteral("+") + QString::number(std::lround(right - 100)) + QStringLiteral("%"));
    p.drawText(QRectF(plot.left(), plot.bottom() + 14, plot.width(), 14), Qt::AlignHCenter, lang("StatsGraphs", 7));
    p.save();
    p.translate(10, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, -8, plot.height(), 14), Qt::AlignHCenter, lang("StatsGraphs", 8));
    p.restore();
    legend(p, plot.left() + 4, 0, {{below, lang("StatsGraphs", 9)}, {above, lang("StatsGraphs", 10)}, {bgr(192), lang("StatsGraphs", 6)}},
           Qt::black);
}

}  // namespace fw::gui
