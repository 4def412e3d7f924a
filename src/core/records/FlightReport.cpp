#include "FlightReport.h"

#include "NumberFormat.h"

#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>

namespace zeltrin {

namespace {

QString cell(const QString &text, bool number = false)
{
    return (number ? QStringLiteral("<td align=\"right\">") : QStringLiteral("<td>")) + text.toHtmlEscaped()
        + QStringLiteral("</td>");
}

struct Column {
    const char *title;
    int widthPercent;
};

QString headerRow(std::initializer_list<Column> columns)
{
    QString row = QStringLiteral("<tr>");
    for (const Column &c : columns)
        row += QStringLiteral("<th align=\"left\" width=\"%1%\">%2</th>")
                   .arg(c.widthPercent)
                   .arg(QString::fromUtf8(c.title).toHtmlEscaped());
    return row + QStringLiteral("</tr>");
}

// Date and time of take-off on this device's clock, one way in every language.
QString dateText(const QDateTime &date)
{
    return date.isValid() ? date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) : kPlaceholder;
}

QString metricRow(const char *label, const FlightMetric &m, bool enough)
{
    return QStringLiteral("<tr>") + cell(QString::fromUtf8(label)) + cell(m.value, true)
        + cell(enough ? format("%.0f%%", m.percentage) : kPlaceholder, true)
        + cell(enough ? (m.reference.isEmpty() ? kPlaceholder : m.reference) : QStringLiteral("Not enough flights yet"))
        + QStringLiteral("</tr>");
}

QString batteryText(const FlightRecord &f)
{
    if (f.batteryStart < 0 || f.batteryEnd < 0)
        return kPlaceholder;
    return format("%d%%", f.batteryStart - f.batteryEnd);
}

} // namespace

QByteArray analyticsReportPdf(const FlightAnalytics &totals, const FlightInsights &in,
                              const QList<FlightRecord> &flights, const QDateTime &now, const QLocale &locale)
{
    QString html = QStringLiteral(
        "<html><head><style>"
        "body { font-size: 10pt; } h1 { font-size: 18pt; } h2 { font-size: 13pt; margin-top: 14pt; }"
        "th { background-color: #ececec; } td, th { padding: 3px 6px; } .flights td, .flights th { font-size: 8pt; }"
        "</style></head><body>");
    html += QStringLiteral("<h1>Advanced Analytics</h1><p>Zeltrin Pilot logbook, %1</p>")
                .arg(locale.toString(now, QLocale::LongFormat).toHtmlEscaped());

    html += QStringLiteral("<h2>Totals</h2><table width=\"100%\" cellspacing=\"0\" border=\"1\">");
    html += headerRow({{"Total Flights", 25}, {"Flight Time", 25}, {"Distance", 25}, {"Avg Altitude", 25}});
    html += QStringLiteral("<tr>") + cell(totals.totalFlights, true) + cell(totals.flightTime, true)
        + cell(totals.distance, true) + cell(totals.avgAltitude, true) + QStringLiteral("</tr></table>");

    html += QStringLiteral("<h2>Performance Metrics</h2><table width=\"100%\" cellspacing=\"0\" border=\"1\">");
    html += headerRow({{"Metric", 25}, {"Value", 18}, {"Bar", 12}, {"Measured against", 45}});
    html += metricRow("Average Speed", in.averageSpeed, in.enoughFlights);
    html += metricRow("Flight Efficiency", in.efficiency, in.enoughFlights);
    html += metricRow("Battery Usage", in.batteryUsage, in.enoughFlights);
    html += QStringLiteral("</table><p>Average Speed: the mean of each flight's highest speed. Flight Efficiency: "
                           "metres flown per percent of battery over flights that used at least %1%. Battery Usage: "
                           "percent per minute of the latest flight with known battery figures.</p>")
                .arg(kMinEfficiencyBattery);

    html += QStringLiteral("<h2>Recent Trends</h2><table width=\"100%\" cellspacing=\"0\" border=\"1\">");
    html += headerRow({{"Trend", 40}, {"Last 5 flights against the 5 before", 60}});
    for (const FlightTrend *t : {&in.duration, &in.altitudeSpread, &in.batteryUse})
        html += QStringLiteral("<tr>") + cell(t->title) + cell(t->description) + QStringLiteral("</tr>");
    html += QStringLiteral("</table>");

    html += QStringLiteral("<h2>Flights</h2><table width=\"100%\" cellspacing=\"0\" border=\"1\" class=\"flights\">");
    html += headerRow({{"Take-off", 19},
                       {"Place", 25},
                       {"Duration", 12},
                       {"Max Altitude", 11},
                       {"Max Speed", 11},
                       {"Distance", 11},
                       {"Battery Used", 11}});
    for (const FlightRecord &f : flights)
        html += QStringLiteral("<tr>") + cell(dateText(f.log.date)) + cell(f.log.location)
            + cell(logDurationText(f.log.duration), true) + cell(logAltitudeText(f.log.maxAltitude), true)
            + cell(logSpeedText(f.log.maxSpeed), true) + cell(logDistanceText(f.log.distance), true)
            + cell(batteryText(f), true) + QStringLiteral("</tr>");
    html += QStringLiteral("</table></body></html>");

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Advanced Analytics"));
        writer.setCreator(QStringLiteral("Zeltrin Pilot"));
        // No margins of the writer's own: the document keeps 2 cm on every side when printed.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                         QPageLayout::Millimeter));
        QTextDocument doc;
        // Unshaped text keeps "fl" and "fi" as letters: a ligature glyph would not read back as
        // them when the pilot searches or copies the report.
        QFont font = doc.defaultFont();
        font.setStyleStrategy(QFont::PreferNoShaping);
        doc.setDefaultFont(font);
        doc.setHtml(html);
        doc.print(&writer);
    } // the writer finishes the file as it goes
    return bytes;
}

QString analyticsReportFileName(const QDateTime &now)
{
    const QDate d = now.toLocalTime().date();
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        return QStringLiteral("analytics.pdf");
    return QStringLiteral("analytics-%1-%2-%3.pdf")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

} // namespace zeltrin
