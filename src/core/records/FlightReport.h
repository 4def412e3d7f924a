#pragma once

#include "FlightInsights.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QLocale>

// The analytics sheet as a document to keep or share: a PDF (A4) with the totals, the
// performance metrics with what each bar measures against, the recent trends and a table of
// every flight. Texts and figures are the sheet's own. Needs a QGuiApplication (fonts).
namespace zeltrin {

QByteArray analyticsReportPdf(const FlightAnalytics &totals, const FlightInsights &insights,
                              const QList<FlightRecord> &flights, const QDateTime &now,
                              const QLocale &locale = QLocale::system());

// "analytics-2026-12-09.pdf", on this device's clock.
QString analyticsReportFileName(const QDateTime &now);

} // namespace zeltrin
