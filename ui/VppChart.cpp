#include "ui/VppChart.h"

#include <QDate>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

#include <algorithm>

namespace {

constexpr double kMargin = 12.0;
constexpr double kGap = 8.0;
constexpr double kBarShare = 0.72; // of a day's slot; the rest keeps the bars apart
constexpr int kScaleSteps = 4;
constexpr int kDaysBetweenDates = 7;

QFont HeadlineFont(QFont font)
{
    font.setBold(true);
    return font;
}

// A value of the scale: as few decimals as the step needs, thousands grouped.
QString ScaleText(std::int64_t cents, std::int64_t stepCents)
{
    const int decimals = stepCents % 100 == 0 ? 0 : (stepCents % 10 == 0 ? 1 : 2);
    return QLocale(QLocale::English).toString(static_cast<double>(cents) / 100.0, 'f', decimals);
}

QString DateText(const std::string& date)
{
    const QDate day = QDate::fromString(QString::fromStdString(date), Qt::ISODate);
    if (!day.isValid())
        return {};
    return QString::number(day.day()) + QLatin1Char(' ') +
           QLocale(QLocale::English).monthName(day.month(), QLocale::ShortFormat);
}

QColor Faded(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

} // namespace

VppChart::VppChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void VppChart::SetDays(std::vector<ChartDay> days)
{
    m_days = std::move(days);
    update();
}

void VppChart::SetHeadline(const QString& title, const QString& total)
{
    m_title = title;
    m_total = total;
    update();
}

void VppChart::SetColours(const QColor& background, const QColor& bars, const QColor& text)
{
    m_background = background;
    m_bars = bars;
    m_text = text;
    update();
}

std::int64_t VppChart::ScaleStepCents() const
{
    std::int64_t top = 0;
    for (const ChartDay& day : m_days)
        top = std::max(top, day.vppCents);
    // 1, 2 or 5 times a power of ten, so the values up the side are round; a month without
    // play still gets a scale.
    std::int64_t power = 10;
    for (;;) {
        for (const std::int64_t factor : {1, 2, 5}) {
            if (factor * power * kScaleSteps >= top)
                return factor * power;
        }
        power *= 10;
    }
}

std::int64_t VppChart::ScaleTopCents() const
{
    return ScaleStepCents() * kScaleSteps;
}

bool VppChart::TotalBesideTitle() const
{
    // Below the title when both do not fit on one line.
    const QFontMetricsF headline(HeadlineFont(font()));
    return headline.horizontalAdvance(m_title) + headline.horizontalAdvance(m_total) + 4 * kGap <=
           width() - 2 * kMargin;
}

QRectF VppChart::PlotArea() const
{
    const QFontMetricsF metrics(font());
    const QFontMetricsF headline(HeadlineFont(font()));
    const double top = kMargin + headline.height() * (TotalBesideTitle() ? 1 : 2) + 2 * kGap;
    const std::int64_t step = ScaleStepCents();
    double labelWidth = 0;
    for (int i = 0; i <= kScaleSteps; ++i)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(ScaleText(i * step, step)));
    const double left = kMargin + labelWidth + kGap;
    const double bottom = height() - kMargin - metrics.height() - kGap / 2;
    return QRectF(QPointF(left, top), QPointF(width() - kMargin, std::max(top, bottom)));
}

QRectF VppChart::BarRect(int i) const
{
    if (i < 0 || i >= static_cast<int>(m_days.size()) || m_days[i].vppCents <= 0)
        return {};
    const QRectF plot = PlotArea();
    const double slot = plot.width() / static_cast<double>(m_days.size());
    const double barWidth = slot * kBarShare;
    const double height = plot.height() * static_cast<double>(m_days[i].vppCents) / ScaleTopCents();
    return QRectF(plot.left() + i * slot + (slot - barWidth) / 2, plot.bottom() - height, barWidth,
                  height);
}

QSize VppChart::sizeHint() const
{
    return QSize(640, 240);
}

QSize VppChart::minimumSizeHint() const
{
    return QSize(360, 160);
}

void VppChart::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setRenderHint(QPainter::Antialiasing);

    // Headline: the title, and the total in the VPP colour on the right (or below the title).
    const QFont headlineFont = HeadlineFont(font());
    const QFontMetricsF headline(headlineFont);
    painter.setFont(headlineFont);
    const QRectF line(kMargin, kMargin, width() - 2 * kMargin, headline.height());
    painter.setPen(m_text);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, m_title);
    painter.setPen(m_bars);
    if (TotalBesideTitle())
        painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, m_total);
    else
        painter.drawText(line.translated(0, headline.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         m_total);

    // The scale: faint lines across, round values on the left.
    painter.setFont(font());
    const QFontMetricsF metrics(font());
    const QRectF plot = PlotArea();
    const std::int64_t step = ScaleStepCents();
    for (int i = 0; i <= kScaleSteps; ++i) {
        const double y = plot.bottom() - plot.height() * i / kScaleSteps;
        painter.setPen(QPen(Faded(m_text, i == 0 ? 160 : 50), 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(m_text);
        const QRectF label(kMargin, y - metrics.height() / 2, plot.left() - kGap - kMargin,
                           metrics.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, ScaleText(i * step, step));
    }

    if (m_days.empty())
        return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_bars);
    for (int i = 0; i < static_cast<int>(m_days.size()); ++i) {
        const QRectF bar = BarRect(i);
        if (!bar.isEmpty())
            painter.drawRect(bar);
    }

    // Dates under every seventh day, counted back from the last, so today is always named.
    painter.setPen(m_text);
    const double slot = plot.width() / static_cast<double>(m_days.size());
    for (int i = static_cast<int>(m_days.size()) - 1; i >= 0; i -= kDaysBetweenDates) {
        const QString text = DateText(m_days[i].date);
        const double textWidth = metrics.horizontalAdvance(text);
        const double centre = plot.left() + (i + 0.5) * slot;
        const double left =
            std::clamp(centre - textWidth / 2, 0.0, std::max(0.0, width() - textWidth));
        painter.drawText(QRectF(left, plot.bottom() + kGap / 2, textWidth, metrics.height()),
                         Qt::AlignCenter, text);
    }
}
