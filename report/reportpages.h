#pragma once
// Layout and painting of the pages of a hole report (A4 portrait).
//
// Page 1: title, project and hole information, the set-up, the judgement
// (sediment thickness, hole quality) with the suggested interface, and the
// curve twice: the whole hole and the bottom metres. The following pages
// hold the sample table. Every page ends with a footer naming the hole file
// with its SHA-256 checksum, the report time and the page number.
//
// Geometry is in paper millimetres, turned into device pixels through the
// device's resolution, so the page count does not depend on the device.

#include "reportdata.h"

#include <QString>

class QPainter;

namespace ReportPage {
constexpr double WidthMm = 210.0;
constexpr double HeightMm = 297.0;
constexpr double MarginMm = 15.0;
// Sample table: groups of columns side by side, rows per page.
constexpr int TableGroups = 3;
constexpr int TableRowsPerGroup = 52;
constexpr int TableRowsPerPage = TableGroups * TableRowsPerGroup;
// Most sample rows listed (a 200 m hole sampled every 10 mm has 20001); a
// damaged file announcing millions must not make a report of thousands of
// pages. The table then says that it lists only the first ones.
constexpr int MaxTableRows = 25000;
}

// Number of pages for a report of that many samples.
int holeReportPageCount(int sampleCount);
// Rows listed in the table.
int holeReportTableRows(int sampleCount);

// Paints page `page` (0-based) of the report onto a painter whose device is
// an A4 page (its full size is the paper).
void paintHoleReportPage(QPainter &painter, const HoleReportData &data, int page);

// Text of the hole quality value ("合格" / "不合格", translated).
QString holeQualityText(int quality);
