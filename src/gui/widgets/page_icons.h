#pragma once
// Icons of the main window's page buttons, drawn rather than shipped as files. They are
// painted from their outlines at whatever size and screen scale they are asked for, so they
// stay sharp at 125 %, 150 % and 200 %.
#include <QIcon>

class QPainter;

namespace meridane {

enum class PageIcon { Home, Patients, Profile, Report, SavePdf, Print, ImportExport, Help };
// `size` is the size a caller asks for when no other is given (QIcon::actualSize).
QIcon MakePageIcon(PageIcon which, int size);
// Paints the icon into a square of side `side` at the painter's origin.
void PaintPageIcon(QPainter& p, PageIcon which, double side, const QColor& colour);

}  // namespace meridane
