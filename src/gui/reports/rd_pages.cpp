#include "gui/reports/rd_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"
#include "reports/classification.h"

namespace meridane {

namespace {

// A choice list whose first entry is blank: entry 0 is "none" (-1), entry i is code i - 1,
// so a choice made by mistake can be taken back.
template <std::size_t N>
QComboBox* ChoiceBox(QWidget* parent, const std::array<TextId, N>& texts) {
  auto* box = new QComboBox(parent);
  box->addItem(QString());
  for (const TextId& t : texts) box->addItem(Text(t));
  return box;
}
int ChoiceOf(const QComboBox* box) { return box->currentIndex() - 1; }
void SetChoice(QComboBox* box, int code) {
  box->setCurrentIndex(code >= 0 && code < box->count() - 1 ? code + 1 : 0);
}

QString Number(double v) { return QString::fromStdString(DetailNumberText(v)); }
double Parsed(const QLineEdit* e) { return ParseDetailNumber(e->text().toStdString()); }
// The checks passed: every whole-number field holds a whole number in range.
int Whole(const QLineEdit* e) { return static_cast<int>(Parsed(e)); }

QString LimitsText(double max) {
  return Text("RecordDetail", "Limits", "(0 - %1)").arg(Number(max));
}

}  // namespace

// ---- CRDPage ----

CRDPage::CRDPage(QWidget* parent) : QWidget(parent) {
  auto* lay = new QVBoxLayout(this);
  grid_ = new QGridLayout;
  grid_->setHorizontalSpacing(10);
  grid_->setColumnStretch(3, 1);
  lay->addLayout(grid_);
  comment_ = new QLineEdit(this);
  comment_->setMaxLength(static_cast<int>(kMaxDetailComment));
  hint_ = new QLabel(this);
  hint_->setWordWrap(true);
  QPalette pal = hint_->palette();
  pal.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x20));
  hint_->setPalette(pal);
  hint_->hide();
}

void CRDPage::ShowHint(const QString& text) {
  hint_->setText(text);
  hint_->setVisible(!text.isEmpty());
}

int CRDPage::AddRow(const QString& caption, QWidget* field, const QString& limits) {
  const int row = grid_->rowCount();
  grid_->addWidget(new QLabel(caption, this), row, 0);
  grid_->addWidget(limits.isEmpty() ? field : WithLimits(field, limits), row, 1);
  return row;
}

QWidget* CRDPage::WithLimits(QWidget* field, const QString& limits) {
  // The allowed range right beside its field, whatever the width of the column.
  auto* box = new QWidget(this);
  auto* lay = new QHBoxLayout(box);
  lay->setContentsMargins(0, 0, 0, 0);
  field->setParent(box);
  lay->addWidget(field);
  lay->addWidget(new QLabel(limits, box));
  lay->addStretch(1);
  return box;
}

void CRDPage::FinishLayout() {
  auto* lay = static_cast<QVBoxLayout*>(layout());
  lay->addStretch(1);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(Text("Label", "Comment", "Comment :"), this));
  row->addWidget(comment_, 1);
  lay->addLayout(row);
  lay->addWidget(hint_);
}

QLineEdit* CRDPage::NumberField(QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setMaxLength(10);
  e->setFixedWidth(90);
  e->setAlignment(Qt::AlignRight);
  return e;
}

// ---- CRDGlucose ----

CRDGlucose::CRDGlucose(const CPatientProfile& patient, const GlucoReading& reading,
                       QWidget* parent)
    : CRDPage(parent) {
  // The reading's own date, time and value: shown, never edited here.
  date_ = new QDateEdit(ToQDate(reading.at.date()), this);
  date_->setDisplayFormat(QStringLiteral("MM / dd / yyyy"));
  time_ = new QTimeEdit(QTime(reading.at.hour, reading.at.minute), this);
  time_->setDisplayFormat(patient.timeUnit ? QStringLiteral("HH:mm") : QStringLiteral("hh:mm AP"));
  for (QAbstractSpinBox* s : {static_cast<QAbstractSpinBox*>(date_),
                              static_cast<QAbstractSpinBox*>(time_)}) {
    s->setReadOnly(true);
    s->setButtonSymbols(QAbstractSpinBox::NoButtons);
    s->setFocusPolicy(Qt::NoFocus);
    s->setFixedWidth(130);
  }
  AddRow(Text("Label", "Date", "Date :"), date_);
  AddRow(Text("Label", "Time", "Time :"), time_);

  slot_ = new QComboBox(this);
  for (const TextId& t : BlockLabels(patient.mealEnable)) slot_->addItem(Text(t));
  slot_->setCurrentIndex(SlotListEntry(reading.slot));
  // Once saved from this editor (mark 2) a reading keeps its slot.
  slot_->setEnabled(reading.mark != 2);
  AddRow(Text("Label", "TimeSlot", "Time Slot :"), slot_);

  sample_ = ChoiceBox(this, kSampleKinds);
  AddRow(Text("Label", "Sample", "Sample :"), sample_);

  const DetailValueText shown = DetailValueShown(reading.gluco, patient.healthRecord.glucoUnit);
  auto* valueRow = new QWidget(this);
  auto* vl = new QHBoxLayout(valueRow);
  vl->setContentsMargins(0, 0, 0, 0);
  value_ = new QLineEdit(QString::fromStdString(shown.value), valueRow);
  value_->setReadOnly(true);
  value_->setFocusPolicy(Qt::NoFocus);
  value_->setFixedWidth(90);
  value_->setAlignment(Qt::AlignRight);
  unit_ = new QLabel(QString::fromStdString(shown.caption), valueRow);
  vl->addWidget(value_);
  vl->addWidget(unit_);
  vl->addStretch(1);
  AddRow(Text("Label", "GlucoseValue", "Glucose :"), valueRow);

  // The circumstances in two columns; the three that have a choice carry it beside them.
  auto* group = new QGroupBox(Text("Label", "CommentOptions", "Comment Options"), this);
  auto* g = new QGridLayout(group);
  g->setHorizontalSpacing(12);
  for (int bit = 0; bit < static_cast<int>(checks_.size()); ++bit)
    checks_[bit] = new QCheckBox(Text(kCircumstances[bit]), group);
  food_ = ChoiceBox(group, kFoodOptions);
  timing_ = ChoiceBox(group, kExerciseTimings);
  kind_ = ChoiceBox(group, kExerciseKinds);
  for (int i = 0; i < 5; ++i) g->addWidget(checks_[i], i, 0);
  for (int i = 5; i < 10; ++i) g->addWidget(checks_[i], i - 5, 1);
  g->addWidget(food_, 0, 2);
  g->addWidget(timing_, 1, 2);
  g->addWidget(kind_, 2, 2);
  g->setColumnStretch(3, 1);
  grid()->addWidget(group, grid()->rowCount(), 0, 1, 4);
  FinishLayout();
}

int CRDGlucose::slot() const { return slot_->currentIndex() + 1; }

void CRDGlucose::Load(const GlucoDetailRecord& d) {
  SetChoice(sample_, d.type);
  for (int bit = 0; bit < static_cast<int>(checks_.size()); ++bit)
    checks_[bit]->setChecked(((d.commentOptions >> bit) & 1) != 0);
  SetChoice(food_, d.commentOptionsFood);
  SetChoice(timing_, d.commentOptionsExercise);
  SetChoice(kind_, d.commentOptionsType);
  comment()->setText(QString::fromStdString(d.comment));
}

void CRDGlucose::Store(GlucoDetailRecord& d) const {
  d.type = ChoiceOf(sample_);
  d.commentOptions = 0;
  for (int bit = 0; bit < static_cast<int>(checks_.size()); ++bit)
    if (checks_[bit]->isChecked()) d.commentOptions |= 1 << bit;
  d.commentOptionsFood = ChoiceOf(food_);
  d.commentOptionsExercise = ChoiceOf(timing_);
  d.commentOptionsType = ChoiceOf(kind_);
  d.comment = comment()->text().toStdString();
}

void CRDGlucose::Reset() { Load(GlucoDetailRecord{}); }

// ---- name lists ----

void CRDNameList::Load(const std::string& stored) {
  choices_ = DetailNameChoices(names_, stored);
  box_->clear();
  for (const std::string& s : choices_.items) box_->addItem(QString::fromStdString(s));
  box_->setCurrentIndex(choices_.current);
}

std::string CRDNameList::Name() const { return choices_.NameAt(box_->currentIndex()); }

// ---- CRDInsulin ----

CRDInsulin::CRDInsulin(const std::vector<std::string>& insulins, QWidget* parent)
    : CRDPage(parent), nameBox_(new QComboBox(this)), names_(nameBox_, insulins) {
  nameBox_->setMinimumWidth(200);
  AddRow(Text("Label", "Insulin", "Insulin :"), nameBox_);
  for (int k = 0; k < 3; ++k) {
    kinds_[k] = new QRadioButton(Text(kInsulinKinds[k]), this);
    amounts_[k] = NumberField(this);
    const int row = grid()->rowCount();
    grid()->addWidget(kinds_[k], row, 0);
    grid()->addWidget(
        WithLimits(amounts_[k],
                   Text("RecordDetail", "Units", "units %1").arg(LimitsText(InsulinAmountLimit(k)))),
        row, 1);
    // Typing an amount chooses its kind: only the chosen kind's amount is kept.
    connect(amounts_[k], &QLineEdit::textEdited, kinds_[k], [this, k] { kinds_[k]->setChecked(true); });
  }
  FinishLayout();
}

int CRDInsulin::chosenKind() const {
  for (int k = 0; k < 3; ++k)
    if (kinds_[k]->isChecked()) return k;
  return -1;
}

void CRDInsulin::Load(const GlucoDetailRecord& d) {
  names_.Load(d.insulin);
  // Exclusive buttons cannot all be cleared while exclusive.
  for (QRadioButton* r : kinds_) r->setAutoExclusive(false);
  for (int k = 0; k < 3; ++k) {
    kinds_[k]->setChecked(k == d.insulinType);
    amounts_[k]->setText(Number(k == d.insulinType ? d.insulinAmount : 0));
  }
  for (QRadioButton* r : kinds_) r->setAutoExclusive(true);
  comment()->setText(QString::fromStdString(d.commentIns));
}

void CRDInsulin::Entries(DetailEntries& e) const {
  e.insulinType = chosenKind();
  e.insulinAmount = e.insulinType < 0 ? 0 : Parsed(amounts_[e.insulinType]);
}

void CRDInsulin::Store(GlucoDetailRecord& d) const {
  DetailEntries e;
  Entries(e);
  d.insulinType = e.insulinType;
  d.insulinAmount = e.insulinAmount;
  d.insulin = names_.Name();
  d.commentIns = comment()->text().toStdString();
}

void CRDInsulin::Reset() { Load(GlucoDetailRecord{}); }

QLineEdit* CRDInsulin::FieldOf(const std::string& column) const {
  const int k = chosenKind();
  return column == "insulinAmount" && k >= 0 ? amounts_[k] : nullptr;
}

// ---- CRDOral ----

CRDOral::CRDOral(const std::vector<std::string>& orals, QWidget* parent)
    : CRDPage(parent), nameBox_(new QComboBox(this)), names_(nameBox_, orals) {
  nameBox_->setMinimumWidth(200);
  AddRow(Text("Label", "OralMedicine", "Oral Medicine :"), nameBox_);
  amount_ = NumberField(this);
  AddRow(Text("Label", "Amount", "Amount :"), amount_,
         Text("RecordDetail", "Tablets", "tablets %1").arg(LimitsText(10)));
  FinishLayout();
}

void CRDOral::Load(const GlucoDetailRecord& d) {
  names_.Load(d.oral);
  amount_->setText(Number(d.oralAmount));
  comment()->setText(QString::fromStdString(d.commentOra));
}

void CRDOral::Entries(DetailEntries& e) const { e.oralAmount = Parsed(amount_); }

void CRDOral::Store(GlucoDetailRecord& d) const {
  d.oral = names_.Name();
  d.oralAmount = Parsed(amount_);
  d.commentOra = comment()->text().toStdString();
}

void CRDOral::Reset() { Load(GlucoDetailRecord{}); }

QLineEdit* CRDOral::FieldOf(const std::string& column) const {
  return column == "oralAmount" ? amount_ : nullptr;
}

// ---- CRDExercise ----

CRDExercise::CRDExercise(QWidget* parent) : CRDPage(parent) {
  hours_ = NumberField(this);
  minutes_ = NumberField(this);
  intensity_ = ChoiceBox(this, kIntensities);
  AddRow(Text("Label", "Hours", "Hours :"), hours_, LimitsText(23));
  AddRow(Text("Label", "Minutes", "Minutes :"), minutes_, LimitsText(59));
  AddRow(Text("Label", "Intensity", "Intensity :"), intensity_);
  FinishLayout();
}

void CRDExercise::Load(const GlucoDetailRecord& d) {
  hours_->setText(Number(d.exerciseHour));
  minutes_->setText(Number(d.exerciseMinute));
  SetChoice(intensity_, d.intensity);
  comment()->setText(QString::fromStdString(d.commentExe));
}

void CRDExercise::Entries(DetailEntries& e) const {
  e.exerciseHour = Parsed(hours_);
  e.exerciseMinute = Parsed(minutes_);
}

void CRDExercise::Store(GlucoDetailRecord& d) const {
  d.exerciseHour = Whole(hours_);
  d.exerciseMinute = Whole(minutes_);
  d.intensity = ChoiceOf(intensity_);
  d.commentExe = comment()->text().toStdString();
}

void CRDExercise::Reset() { Load(GlucoDetailRecord{}); }

QLineEdit* CRDExercise::FieldOf(const std::string& column) const {
  if (column == "exerciseHour") return hours_;
  if (column == "exerciseMinute") return minutes_;
  return nullptr;
}

// ---- CRDFood ----

namespace {
struct FoodField {
  const char* column;
  TextId caption;
  double max;
};
constexpr FoodField kFood[4] = {{"carbs", TextId{"Label", "Carbs :", "Carbs :"}, 250},
                                {"fats", TextId{"Label", "Fats :", "Fats :"}, 250},
                                {"carlories", TextId{"Label", "Carlories :", "Carlories :"}, 2500},
                                {"proteins", TextId{"Label", "Proteins :", "Proteins :"}, 250}};
}  // namespace

CRDFood::CRDFood(QWidget* parent) : CRDPage(parent) {
  for (int i = 0; i < 4; ++i) {
    fields_[i] = NumberField(this);
    AddRow(Text(kFood[i].caption), fields_[i], LimitsText(kFood[i].max));  // dynamic text
  }
  FinishLayout();
}

void CRDFood::Load(const GlucoDetailRecord& d) {
  const int values[4] = {d.carbs, d.fats, d.carlories, d.proteins};
  for (int i = 0; i < 4; ++i) fields_[i]->setText(Number(values[i]));
  comment()->setText(QString::fromStdString(d.commentFoo));
}

void CRDFood::Entries(DetailEntries& e) const {
  e.carbs = Parsed(fields_[0]);
  e.fats = Parsed(fields_[1]);
  e.carlories = Parsed(fields_[2]);
  e.proteins = Parsed(fields_[3]);
}

void CRDFood::Store(GlucoDetailRecord& d) const {
  d.carbs = Whole(fields_[0]);
  d.fats = Whole(fields_[1]);
  d.carlories = Whole(fields_[2]);
  d.proteins = Whole(fields_[3]);
  d.commentFoo = comment()->text().toStdString();
}

void CRDFood::Reset() { Load(GlucoDetailRecord{}); }

QLineEdit* CRDFood::FieldOf(const std::string& column) const {
  for (int i = 0; i < 4; ++i)
    if (column == kFood[i].column) return fields_[i];
  return nullptr;
}

}  // namespace meridane
