#include "gui/reports/summary_checks.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

#include "gui/main/gui_support.h"

namespace meridane {

namespace {
constexpr TextId kSummaryCaptions[] = {
    TextId{"Label", "Full Name:", "Full Name:"},
    TextId{"Label", "ID No:", "ID No:"},
    TextId{"Label", "Date of Birth:", "Date of Birth:"},
    TextId{"Label", "#Result:", "#Result:"},
    TextId{"Label", "Standard Deviation:", "Standard Deviation:"},
    TextId{"Label", "Above Target:", "Above Target:"},
    TextId{"Label", "Below Target:", "Below Target:"},
    TextId{"Label", "Within Target:", "Within Target:"},
    TextId{"Label", "Hypoglycemic:", "Hypoglycemic:"},
    TextId{"Label", "Average:", "Average:"}};
constexpr TextId kDayAverage{"Label", "Day Average:", "Day Average:"};
constexpr TextId kHealthCaptions[] = {TextId{"Label", "HbA1c:", "HbA1c:"},
                                      TextId{"Label", "Blood Pressure:", "Blood Pressure:"},
                                      TextId{"Label", "Ketnotes:", "Ketnotes:"}};
constexpr TextId kCholesterolCaptions[] = {TextId{"Label", "Total:", "Total:"},
                                           TextId{"Label", "LDL:", "LDL:"},
                                           TextId{"Label", "HDL:", "HDL:"}};
constexpr TextId kProfileCaptions[] = {
    TextId{"Label", "Readings:", "Readings:"},
    TextId{"Label", "Days with readings:", "Days with readings:"},
    TextId{"Label", "Mean:", "Mean:"}, TextId{"Label", "SD:", "SD:"},
    TextId{"Label", "CV:", "CV:"}};
}  // namespace

CSummaryChecks::CSummaryChecks(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  auto* summary = new QGroupBox(Text("Label", "SummaryChecks", "Summary Checks"));
  auto* g = new QGridLayout(summary);
  g->setHorizontalSpacing(14);
  g->setVerticalSpacing(8);
  int r = 0;
  // Values are found by the English caption, whatever language the caption is shown in.
  auto add = [this](QGridLayout* grid, int at, const TextId& caption, int index = 0) {
    QLabel* v = AddRow(grid, at, 0, Text(caption));  // dynamic text
    values_[{QString::fromLatin1(caption.fallback), index}] = v;
    return v;
  };
  for (const TextId& c : kSummaryCaptions) add(g, r++, c);
  for (int i = 0; i < 5; ++i) {
    if (i == 0)
      add(g, r++, kDayAverage, i);
    else
      values_[{QString::fromLatin1(kDayAverage.fallback), i}] = AddRow(g, r++, 0, QString());
    // Which span each of the five averages covers; the numbers themselves carry no suffix.
    auto* span = new QLabel(Text("SummaryChecks", "DaySpan", "(%1 days)").arg(kDayAverageSpans[i]));
    span->setStyleSheet(QStringLiteral("color: #666"));
    g->addWidget(span, r - 1, 2);
  }
  for (const TextId& c : kHealthCaptions) add(g, r++, c);
  auto* chol = new QLabel(Text("Label", "Cholesterol:", "Cholesterol:"));
  g->addWidget(chol, r++, 0);
  for (const TextId& c : kCholesterolCaptions) add(g, r++, c);
  g->setRowStretch(r, 1);
  g->setColumnStretch(3, 1);
  row->addWidget(summary, 3);

  auto* profile = new QGroupBox(
      Text("Label", "GlucoseProfile", "Glucose profile (in addition to the summary checks)"));
  auto* pg = new QGridLayout(profile);
  pg->setVerticalSpacing(8);
  profileRanges_ = new QLabel;
  profileRanges_->setWordWrap(true);
  pg->addWidget(profileRanges_, 0, 0, 1, 2);
  r = 1;
  for (int i = 0; i < kProfileRanges; ++i) AddRow(pg, r++, 0, QString())->setObjectName("range");
  for (const TextId& c : kProfileCaptions) add(pg, r++, c);
  pg->setRowStretch(r, 1);
  row->addWidget(profile, 2);
}

QLabel* CSummaryChecks::AddRow(QGridLayout* grid, int row, int column, const QString& caption) {
  auto* c = new QLabel(caption);
  auto* v = new QLabel(QString::fromLatin1(kAbsentText));
  v->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont bold = v->font();
  bold.setBold(true);
  v->setFont(bold);
  grid->addWidget(c, row, column);
  grid->addWidget(v, row, column + 1);
  return v;
}

void CSummaryChecks::Show(const SummaryFields& f, const GlucoseProfileSet& profile) {
  auto set = [this](const char* caption, const std::string& text, int index = 0) {
    auto it = values_.find({QString::fromLatin1(caption), index});
    if (it != values_.end()) it->second->setText(QString::fromStdString(text));
  };
  set("Full Name:", f.fullName);
  set("ID No:", f.IDNo);
  set("Date of Birth:", f.dateOfBirth);
  set("#Result:", f.result);
  set("Standard Deviation:", f.standardDeviation);
  set("Above Target:", f.aboveTarget);
  set("Below Target:", f.belowTarget);
  set("Within Target:", f.withinTarget);
  set("Hypoglycemic:", f.hypoglycemic);
  set("Average:", f.average);
  for (int i = 0; i < 5; ++i)
    values_[{QStringLiteral("Day Average:"), i}]->setText(
        QString::fromStdString(f.dayAverageScreen[i]));
  set("HbA1c:", f.hbA1c);
  set("Blood Pressure:", f.bloodPressure);
  set("Ketnotes:", f.ketnotes);
  set("Total:", f.cholesterol);
  set("LDL:", f.LDL);
  set("HDL:", f.HDL);

  profileRanges_->setText(
      Text("Label", "ProfileRanges",
           "Share of the readings of the period in each range (of readings, not of time; "
           "ranges in the patient's unit; LO and HI count in the outer ranges), with mean, "
           "standard deviation and coefficient of variation of the readings between LO and HI:"));
  const QList<QLabel*> ranges = findChildren<QLabel*>("range");
  for (int i = 0; i < kProfileRanges && i < ranges.size(); ++i) {
    // The caption sits in the cell left of its value.
    auto* grid = static_cast<QGridLayout*>(ranges[i]->parentWidget()->layout());
    const int at = grid->indexOf(ranges[i]);
    int row, col, rs, cs;
    grid->getItemPosition(at, &row, &col, &rs, &cs);
    auto* caption = static_cast<QLabel*>(grid->itemAtPosition(row, col - 1)->widget());
    const QString label = QString::fromStdString(profile.rangeLabels[i]) + QStringLiteral(":");
    caption->setText(label);
    values_[{label, 0}] = ranges[i];
    ranges[i]->setText(profile.readingCount ? QStringLiteral("%1 (%2)").arg(
                                                  QString::fromStdString(profile.percentText[i]),
                                                  QString::number(profile.counts[i]))
                                            : QString::fromLatin1(kAbsentText));
  }
  set("Readings:", std::to_string(profile.readingCount));
  set("Days with readings:", std::to_string(profile.daysWithReadings));
  set("Mean:", profile.meanText);
  set("SD:", profile.sdText);
  set("CV:", profile.cvText);
}

QString CSummaryChecks::valueOf(const QString& caption, int index) const {
  auto it = values_.find({caption, index});
  return it == values_.end() ? QString() : it->second->text();
}

}  // namespace meridane
