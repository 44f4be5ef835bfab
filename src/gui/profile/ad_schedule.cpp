#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"
#include "base/text_lookup.h"
#include "gui/profile/ad_tabs.h"

namespace meridane {

CADSchedule::CADSchedule(QWidget* parent) : QWidget(parent) {
  ampm_ = new QRadioButton(Text("Label", "AmPm", "AM / PM"), this);
  h24_ = new QRadioButton(Text("Label", "H24", "24 hr"), this);
  meal_ = new QRadioButton(Text("Label", "Meal", "Meal"), this);
  nonMeal_ = new QRadioButton(Text("Label", "NonMeal", "Non meal"), this);
  auto* clockGroup = new QButtonGroup(this);
  clockGroup->addButton(ampm_);
  clockGroup->addButton(h24_);
  auto* nameGroup = new QButtonGroup(this);
  nameGroup->addButton(meal_);
  nameGroup->addButton(nonMeal_);
  separate_ = new QCheckBox(
      Text("Label", "WorkEnable",
           "Check this box to use different schedule for working and non-working."),
      this);

  auto* top = new QHBoxLayout;
  auto* clockBox = new QGroupBox(Text("Label", "ClockFormat", "Clock"), this);
  auto* cl = new QHBoxLayout(clockBox);
  cl->addWidget(ampm_);
  cl->addWidget(h24_);
  auto* nameBox = new QGroupBox(Text("Label", "BlockNames", "Block names"), this);
  auto* nl = new QHBoxLayout(nameBox);
  nl->addWidget(meal_);
  nl->addWidget(nonMeal_);
  top->addWidget(clockBox);
  top->addWidget(nameBox);
  top->addStretch();

  auto* dayRow = new QHBoxLayout;
  dayRow->addWidget(
      new QLabel(Text("Label", "NonWorkingDays", "Check boxes of non-working days :"), this));
  static constexpr TextId kDays[] = {TextId{"Label", "Sun", "Sun"}, TextId{"Label", "Mon", "Mon"},
                                     TextId{"Label", "Tue", "Tue"}, TextId{"Label", "Wed", "Wed"},
                                     TextId{"Label", "Thu", "Thu"}, TextId{"Label", "Fri", "Fri"},
                                     TextId{"Label", "Sat", "Sat"}};
  for (int i = 0; i < 7; ++i) days_[i] = new QCheckBox(Text(kDays[i]), this);  // dynamic text
  for (int i : {1, 2, 3, 4, 5, 6, 0}) dayRow->addWidget(days_[i]);
  dayRow->addStretch();

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  auto* wTitle = new QLabel(Text("Label", "WorkingSchedule", "Working Day Schedule"), this);
  auto* nTitle = new QLabel(Text("Label", "NonWorkingSchedule", "Non-Working Day Schedule"), this);
  for (QLabel* l : {wTitle, nTitle}) l->setFont(UiFont(9, QFont::Bold));
  grid->addWidget(wTitle, 0, 0, 1, 4);
  grid->addWidget(nTitle, 0, 5, 1, 4);
  grid->setColumnMinimumWidth(4, 24);
  for (int col = 0; col < 2; ++col) {
    auto& rows = col == 0 ? work_ : non_;
    for (int b = 0; b < 7; ++b) {
      Row& r = rows[b];
      r.name = new QLabel(this);
      r.start = new QTimeEdit(this);
      r.end = new QLabel(this);
      r.end->setMinimumWidth(70);
      int c = col * 5;
      grid->addWidget(r.name, b + 1, c);
      grid->addWidget(r.start, b + 1, c + 1);
      grid->addWidget(new QLabel(Text("Label", "To", "To"), this), b + 1, c + 2);
      grid->addWidget(r.end, b + 1, c + 3);
      connect(r.start, &QTimeEdit::timeChanged, this, [this] { Refresh(); });
    }
  }

  auto* lay = new QVBoxLayout(this);
  lay->addLayout(top);
  lay->addWidget(separate_);
  lay->addLayout(dayRow);
  lay->addSpacing(6);
  lay->addLayout(grid);
  lay->addStretch();

  for (QAbstractButton* b : {static_cast<QAbstractButton*>(ampm_), static_cast<QAbstractButton*>(h24_),
                             static_cast<QAbstractButton*>(meal_), static_cast<QAbstractButton*>(nonMeal_),
                             static_cast<QAbstractButton*>(separate_)})
    connect(b, &QAbstractButton::toggled, this, [this] { Refresh(); });
}

void CADSchedule::Load(const CPatientProfile& p, bool timeUnit, bool mealEnable) {
  (timeUnit ? h24_ : ampm_)->setChecked(true);
  (mealEnable ? nonMeal_ : meal_)->setChecked(true);
  separate_->setChecked(p.workEnable);
  for (int i = 0; i < 7; ++i) days_[i]->setChecked((p.nonWorking.nonWorkingDay >> i) & 1);
  for (int b = 0; b < 7; ++b) {
    const TimeOfDay w = p.working.start[b], n = p.nonWorking.blocks.start[b];
    work_[b].start->setTime(QTime(w.hour, w.minute));
    non_[b].start->setTime(QTime(n.hour, n.minute));
  }
  Refresh();
}

Schedule CADSchedule::Read(bool nonWorking) const {
  Schedule s;
  const auto& rows = nonWorking ? non_ : work_;
  for (int b = 0; b < 7; ++b) {
    QTime t = rows[b].start->time();
    s.start[b] = {t.hour(), t.minute()};
  }
  return s;
}

void CADSchedule::Refresh() {
  const bool h24 = timeUnit();
  const auto& names = BlockLabels(mealEnable());
  const QString format = h24 ? QStringLiteral("HH:mm") : QStringLiteral("hh:mm AP");
  for (int col = 0; col < 2; ++col) {
    auto& rows = col == 0 ? work_ : non_;
    Schedule s = Read(col == 1);
    for (int b = 0; b < 7; ++b) {
      rows[b].name->setText(Text(names[b]));
      if (rows[b].start->displayFormat() != format) rows[b].start->setDisplayFormat(format);
      rows[b].end->setText(QString::fromStdString(FormatClock(BlockEnd(s, b), h24)));
      if (col == 1) {
        rows[b].start->setEnabled(separate_->isChecked());
      }
    }
  }
  for (QCheckBox* d : days_) d->setEnabled(separate_->isChecked());
}

bool CADSchedule::Validate(Prompter& prompter) {
  if (SchedulesValid(Read(false), separate_->isChecked(), Read(true))) return true;
  prompter.Message(LookupText(kTimeBlockError), WarningCaption());  // dynamic text
  return false;
}

void CADSchedule::Store(CPatientProfile& staging) const {
  staging.working = Read(false);
  staging.nonWorking.blocks = Read(true);
  int bits = 0;
  for (int i = 0; i < 7; ++i)
    if (days_[i]->isChecked()) bits |= 1 << i;
  staging.nonWorking.nonWorkingDay = bits;
  staging.workEnable = separate_->isChecked();
}

bool CADSchedule::timeUnit() const { return h24_->isChecked(); }
bool CADSchedule::mealEnable() const { return nonMeal_->isChecked(); }

}  // namespace meridane
