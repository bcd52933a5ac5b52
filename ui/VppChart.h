#pragma once

// A bar chart of the VPP earned per day, drawn with QPainter in the timer window's colours: a
// title and a total above, a few values up the side, a few dates along the bottom.

#include <QColor>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

struct ChartDay
{
    std::string date; // "2026-12-07"
    std::int64_t vppCents = 0;
};

class VppChart : public QWidget
{
    Q_OBJECT

public:
    explicit VppChart(QWidget* parent = nullptr);

    // The days shown, oldest first; a day without play has 0.
    void SetDays(std::vector<ChartDay> days);
    const std::vector<ChartDay>& Days() const { return m_days; }
    // The title on the left of the top line and a total on its right.
    void SetHeadline(const QString& title, const QString& total);
    QString Title() const { return m_title; }
    QString Total() const { return m_total; }
    void SetColours(const QColor& background, const QColor& bars, const QColor& text);

    // Where day i's bar stands at the chart's present size; empty for a day without VPP.
    QRectF BarRect(int i) const;
    // The value at the top of the scale, in hundredths.
    std::int64_t ScaleTopCents() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The area the bars stand in, below the headline and right of the values.
    QRectF PlotArea() const;
    bool TotalBesideTitle() const;
    struct Scale
    {
        std::int64_t stepCents;
        int steps;
    };
    Scale ScaleFor() const;

    std::vector<ChartDay> m_days;
    QString m_title;
    QString m_total;
    QColor m_background = Qt::black;
    QColor m_bars = Qt::yellow;
    QColor m_text = Qt::white;
};
