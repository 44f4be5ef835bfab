#include "gui/main/gui_support.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QProcess>
#include <QUrl>
#include <algorithm>

#include "gui/main/app_state.h"
#include "base/text_lookup.h"
#include "base/user_guide.h"
#include "output/archive_common.h"

namespace meridane {

PageRunner ModalRunner() {
  return [](QDialog& d) { return d.exec(); };
}

namespace {
std::function<QString(const QString&)>& Marker() {
  static std::function<QString(const QString&)> marker;
  return marker;
}
QString Marked(std::string text) {
  QString t = QString::fromStdString(text);
  return Marker() ? Marker()(t) : t;
}

// The largest point size, from the widget's own down to the floor, at which fits() holds.
template <typename Fits>
void ShrinkFont(QWidget* w, Fits fits) {
  constexpr qreal kFloor = 7;
  QFont f = w->font();
  qreal size = f.pointSizeF();
  if (size <= 0) return;  // a pixel-sized face is left alone
  while (size > kFloor && !fits(QFontMetrics(f))) {
    size = std::max(kFloor, size - 0.5);
    f.setPointSizeF(size);
  }
  w->setFont(f);
}
}  // namespace

QString Text(const char* section, const char* key, const char* fallback) {
  return Marked(LookupText(section, key, fallback));  // dynamic text
}

QString Text(const TextId& t) { return Marked(LookupText(t)); }  // dynamic text

void SetTextMarker(std::function<QString(const QString&)> marker) { Marker() = std::move(marker); }

void FitTextToBox(QAbstractButton* button) {
  const int room = button->width() - 16;  // the frame and its padding
  const QString text = button->text();
  ShrinkFont(button, [&](const QFontMetrics& m) { return m.horizontalAdvance(text) <= room; });
}

void FitTextToBox(QLabel* label) {
  const QRect box = label->contentsRect();
  const QString text = label->text();
  const int flags = int(label->alignment()) | (label->wordWrap() ? int(Qt::TextWordWrap) : 0);
  ShrinkFont(label, [&](const QFontMetrics& m) {
    const QRect need = m.boundingRect(QRect(0, 0, box.width(), 10000), flags, text);
    return need.width() <= box.width() && need.height() <= box.height();
  });
}

std::string WarningCaption() { return LookupText("Label", "Warning", "Warning"); }

QString UiFontFamily() {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    for (const char* f : {"Verdana", "DejaVu Sans", "Liberation Sans", "Noto Sans"})
      if (installed.contains(QString::fromLatin1(f), Qt::CaseInsensitive))
        return QString::fromLatin1(f);
    return QString::fromLatin1("Sans Serif");
  }();
  return family;
}

QFont UiFont(int points, int weight) {
  QFont f(UiFontFamily());
  f.setPointSize(points);
  f.setWeight(static_cast<QFont::Weight>(weight));
  return WithScriptFallbacks(f, false);
}

QFont WithScriptFallbacks(QFont font, bool serif) {
  QStringList families{font.family()};
  const QStringList wide = serif ? QStringList{QStringLiteral("Liberation Serif"),
                                               QStringLiteral("DejaVu Serif")}
                                 : QStringList{QStringLiteral("DejaVu Sans"),
                                               QStringLiteral("Liberation Sans")};
  families << wide << QStringLiteral("WenQuanYi Micro Hei") << QStringLiteral("WenQuanYi Zen Hei");
  families.removeDuplicates();
  font.setFamilies(families);
  return font;
}

namespace {
bool& FailureTold() {
  static bool told = false;
  return told;
}
GuideOpener& Opener() {
  static GuideOpener opener = SystemGuideOpener();
  return opener;
}
}  // namespace

std::optional<Database> OpenDatabaseOrTell(Prompter& prompter) {
  Database db = OpenPatientDatabase();
  if (db.ok()) {
    // A statement that fails shows its own text, and the caller goes on.
    db.ReportFailuresTo([&prompter](const std::string& message) {
      prompter.Message(message, WarningCaption());
    });
    return db;
  }
  if (!FailureTold()) {
    FailureTold() = true;
    prompter.Message(OpenFailText(db), WarningCaption());
  }
  return std::nullopt;
}

void ResetDatabaseFailureNotice() { FailureTold() = false; }

GuideOpener SystemGuideOpener() {
  GuideOpener g;
  g.readerRegistered = [] {
    QProcess p;
    p.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                         QStringLiteral("application/pdf")});
    if (!p.waitForFinished(3000) || p.exitCode() != 0) return false;
    return !p.readAllStandardOutput().trimmed().isEmpty();
  };
  g.findGuide = [] {
    return QString::fromStdString(
        FindUserGuide(QCoreApplication::applicationDirPath().toStdString(),
                      QDir::currentPath().toStdString()));
  };
  g.open = [](const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  };
  return g;
}

void SetGuideOpener(GuideOpener opener) { Opener() = std::move(opener); }

void OpenUserGuide(Prompter& prompter) {
  const GuideOpener& g = Opener();
  const std::string caption = WarningCaption();
  if (!g.readerRegistered()) {
    std::string msg = LookupText("OpMsg", "OpMsg1",
                                 "If you can't open the user's guide, please kindly install the "
                                 "Adobe? Reader?") +
                      "\n" +
                      LookupText("OpMsg", "OpMsg2",
                                 "Software and download on https://get.adobe.com/reader/");
    prompter.Message(msg, caption);
  }
  QString path = g.findGuide();
  if (path.isEmpty() || !g.open(path))
    prompter.Message(LookupText("OpMsg", "OpMsg3", "Cannot find the user's guide."), caption);
}

}  // namespace meridane
