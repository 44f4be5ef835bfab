#pragma once
// Icons of the main window's page buttons, drawn rather than shipped as files.
#include <QIcon>

namespace meridane {

enum class PageIcon { Home, Patients, Profile, Report, SavePdf, Print, ImportExport, Help };
QIcon MakePageIcon(PageIcon which, int size);

}  // namespace meridane
