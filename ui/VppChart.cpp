#include "ui/VppChart.h"

#include <QDate>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr double kMargin = 12.0;
constexpr double kGap = 8.0;
constexpr double kBarShare = 0.72; // of a day's slot; the rest keeps the bars apart
constexpr int kMostSteps = 5;
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

VppChart::Scale VppChart::ScaleFor() const
{
    // An empty month still gets a scale, up to 10 VPP.
    std::int64_t top = 1000;
    for (const ChartDay& day : m_days)
        top = std::max(top, day.vppCents);
    // The smallest round step (1, 2 or 5 times a power of ten) that covers the highest day in
    // a few steps, so the values up the side are round and the bars use the height.
    for (std::int64_t power = 1;; power *= 10) {
        for (const std::int64_t factor : {1, 2, 5}) {
            const std::int64_t step = factor * power;
            const std::int64_t steps = (top + step - 1) / step;
            if (steps <= kMostSteps)
                return {step, static_cast<int>(steps)};
        }
    }
}

std::int64_t VppChart::ScaleTopCents() const
{
    const Scale scale = ScaleFor();
    return scale.stepCents * scale.steps;
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
    const Scale scale = ScaleFor();
    double labelWidth = 0;
    for (int i = 0; i <= scale.steps; ++i) {
        labelWidth = std::max(
            labelWidth, metrics.horizontalAdvance(ScaleText(i * scale.stepCents, scale.stepCents)));
    }
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

bool VppChart::event(QEvent* event)
{
    // The exact figure of the day under the mouse.
    if (event->type() == QEvent::ToolTip && !m_days.empty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QRectF plot = PlotArea();
        const int i = static_cast<int>((help->pos().x() - plot.left()) /
                                       (plot.width() / static_cast<double>(m_days.size())));
        if (help->pos().x() >= plot.left() && i >= 0 && i < static_cast<int>(m_days.size())) {
            const QDate day =
                QDate::fromString(QString::fromStdString(m_days[i].date), Qt::ISODate);
            QToolTip::showText(
                help->globalPos(),
                QLocale(QLocale::English).toString(day, QStringLiteral("ddd d MMM")) +
                    QStringLiteral(": ") + ScaleText(m_days[i].vppCents, 1) +
                    QStringLiteral(" VPP"),
                this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
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
    // A faint edge, so a chart as light as the window around it still stands apart.
    painter.setPen(Faded(m_text, 40));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
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
    const Scale scale = ScaleFor();
    for (int i = 0; i <= scale.steps; ++i) {
        const double y = plot.bottom() - plot.height() * i / scale.steps;
        painter.setPen(QPen(Faded(m_text, i == 0 ? 160 : 50), 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(m_text);
        const QRectF label(kMargin, y - metrics.height() / 2, plot.left() - kGap - kMargin,
                           metrics.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                         ScaleText(i * scale.stepCents, scale.stepCents));
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
        const double left = std::clamp(centre - textWidth / 2, kMargin / 2,
                                       std::max(0.0, width() - kMargin / 2 - textWidth));
        painter.drawText(QRectF(left, plot.bottom() + kGap / 2, textWidth, metrics.height()),
                         Qt::AlignCenter, text);
    }
}
