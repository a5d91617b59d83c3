#pragma once
// The stats editor's two pictures: the frame-size curve with its average line, and the size
// distribution around the average. Both paint from the core's figures and redraw on resize.
#include <QWidget>

#include "core/stats/stats_file.h"

namespace fw::gui {

class CurveWidget : public QWidget {
    Q_OBJECT
public:
    explicit CurveWidget(QWidget* parent = nullptr);
    void setCurve(fw::stats::CurveResult c);
    void clear();
    const fw::stats::CurveResult& curve() const { return m_curve; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    fw::stats::CurveResult m_curve;
};

class DistributionWidget : public QWidget {
    Q_OBJECT
public:
    explicit DistributionWidget(QWidget* parent = nullptr);
    void setCurve(fw::stats::CurveResult c);
    void clear();

protected:
    void paintEvent(QPaintEvent*) override;

private:
    fw::stats::CurveResult m_curve;
};

// 0x00BBGGRR as a colour.
QColor bgr(std::uint32_t v);

}  // namespace fw::gui
