#pragma once
// Small helpers every window shares: looked-up texts as QString, the program's fonts, the
// database open that tells the user once when it fails, and the user's guide.
#include <QDate>
#include <QFont>
#include <QString>
#include <functional>
#include <optional>

#include "base/prompter.h"
#include "base/text_lookup.h"
#include "base/version.h"
#include "store/database.h"
#include "store/date_time.h"

class QAbstractButton;
class QLabel;
class QWidget;

namespace meridane {

// LookupText as a QString.
QString Text(const char* section, const char* key, const char* fallback);
QString Text(const TextId& t);
// Tests: every text Text() gives passes through this first (none by default), so a test can
// tell a looked-up text from one that bypassed the lookup.
void SetTextMarker(std::function<QString(const QString&)> marker);

// Fixed-geometry pages keep their places; a text longer than its box (a translation) is
// drawn in a smaller face, down to a readable floor, instead of being cut.
void FitTextToBox(QAbstractButton* button);
void FitTextToBox(QLabel* label);
// The caption of every message: Label/Warning.
std::string WarningCaption();

// Verdana where installed, else the closest sans-serif at hand.
QString UiFontFamily();
QFont UiFont(int points, int weight);
// The font with the faces of the program's font packages behind it, serif or sans, so a name
// in Greek, Cyrillic or CJK is drawn whatever the first face lacks.
QFont WithScriptFallbacks(QFont font, bool serif);

// Calendar days between the date widgets and the stored dates.
inline QDate ToQDate(const Date& d) { return QDate(d.year, d.month, d.day); }
inline Date FromQDate(const QDate& d) { return {d.year(), d.month(), d.day()}; }

// Opens the patient database; a failure is told once per process in a message box. Each
// statement that fails on the connection shows its text in a message box of `prompter`.
std::optional<Database> OpenDatabaseOrTell(Prompter& prompter);
// Tests, and a newly chosen book: its failure is told even when the last one's was.
void ResetDatabaseFailureNotice();

// How the guide is opened, replaceable in tests.
struct GuideOpener {
  std::function<bool()> readerRegistered;
  std::function<QString()> findGuide;  // empty when no guide is found (FindUserGuide)
  std::function<bool(const QString&)> open;
};
GuideOpener SystemGuideOpener();
void SetGuideOpener(GuideOpener opener);
// The Help button of every page and dialog.
void OpenUserGuide(Prompter& prompter);

}  // namespace meridane
