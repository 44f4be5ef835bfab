// The Health Record and Inquiry tabs.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"
#include "gui/profile/ad_tabs.h"

namespace meridane {

namespace {

QComboBox* Choices(const QStringList& items, QWidget* parent) {
  auto* c = new QComboBox(parent);
  c->addItems(items);
  return c;
}

}  // namespace

CADHealthRecord::CADHealthRecord(QWidget* parent) : QWidget(parent) {
  for (auto& e : entries_) {
    e = new QLineEdit(this);
    e->setMaxLength(8);
    e->setMaximumWidth(80);
  }
  type_ = Choices({Text("Label", "Type I", "Type I"), Text("Label", "Type II", "Type II")}, this);
  diagnosed_ = new QDateEdit(this);
  diagnosed_->setDisplayFormat(QStringLiteral("MM / dd / yyyy"));
  diagnosed_->setCalendarPopup(true);
  hightUnit_ = Choices({QStringLiteral("cm"), QStringLiteral("ft")}, this);
  weightUnit_ = Choices({QStringLiteral("kg"), Text("Label", "pound", "pound")}, this);
  glucoUnit_ = Choices({QStringLiteral("mmol/L"), QStringLiteral("mg/dL")}, this);
  ketones_ = Choices({Text("Label", "Negative", "Negative"), Text("Label", "Trace", "Trace"),
                      Text("Label", "Small", "Small"), Text("Label", "Moderate", "Moderate"),
                      Text("Label", "Large", "Large")},
                     this);
  microalbumin_ = Choices({Text("Label", "Normal", "Normal"), Text("Label", "Positive", "Positive"),
                           QStringLiteral(">1000")},
                          this);

  auto label = [&](const QString& text) { return new QLabel(text, this); };
  auto e = [&](HealthEntry k) { return entries_[static_cast<int>(k)]; };
  using H = HealthEntry;
  auto* g = new QGridLayout;
  int r = 0;
  g->addWidget(label(Text("Label", "Diabetes Type :", "Diabetes Type :")), r, 0);
  g->addWidget(type_, r, 1, 1, 2);
  g->addWidget(label(Text("Label", "Year Diagnosed :", "Year Diagnosed :")), r, 3);
  g->addWidget(diagnosed_, r++, 4, 1, 2);
  g->addWidget(label(Text("Label", "Height :", "Height :")), r, 0);
  g->addWidget(e(H::Hight), r, 1);
  g->addWidget(hightUnit_, r, 2);
  g->addWidget(label(Text("Label", "Weight :", "Weight :")), r, 3);
  g->addWidget(e(H::Weight), r, 4);
  g->addWidget(weightUnit_, r++, 5);
  g->addWidget(label(Text("Label", "Unit of Measurement :", "Unit of Measurement :")), r, 0);
  g->addWidget(glucoUnit_, r++, 1, 1, 2);
  g->addWidget(label(Text("Label", "Low", "Low")), r, 1);
  g->addWidget(label(Text("Label", "High", "High")), r++, 2);
  g->addWidget(label(Text("Label", "Before Meal :", "Before Meal :")), r, 0);
  g->addWidget(e(H::PreMealLow), r, 1);
  g->addWidget(e(H::PreMealHigh), r++, 2);
  g->addWidget(label(Text("Label", "After Meal :", "After Meal :")), r, 0);
  g->addWidget(e(H::PostMealLow), r, 1);
  g->addWidget(e(H::PostMealHigh), r++, 2);
  g->addWidget(label(Text("Label", "Hypoglycemic :", "Hypoglycemic :")), r, 0);
  g->addWidget(e(H::Hypoglycemic), r++, 1);
  g->addWidget(label(Text("Label", "Ketones :", "Ketones :")), r, 0);
  g->addWidget(ketones_, r, 1, 1, 2);
  g->addWidget(label(Text("Label", "Microalbumin :", "Microalbumin :")), r, 3);
  g->addWidget(microalbumin_, r++, 4, 1, 2);
  g->addWidget(label(Text("Label", "HbA1C :", "HbA1C :")), r, 0);
  auto* hb = new QHBoxLayout;
  hb->addWidget(e(H::HbA1C));
  hb->addWidget(label(QStringLiteral("%")));
  g->addLayout(hb, r, 1);
  g->addWidget(label(Text("Label", "Blood Pressure :", "Blood Pressure :")), r, 3);
  auto* bp = new QHBoxLayout;
  bp->addWidget(e(H::BloodPressureA));
  bp->addWidget(label(QStringLiteral("/")));
  bp->addWidget(e(H::BloodPressureB));
  g->addLayout(bp, r++, 4, 1, 2);
  g->addWidget(label(Text("Label", "Cholesterol Total :", "Cholesterol Total :")), r, 0);
  g->addWidget(e(H::Cholesterol), r, 1);
  g->addWidget(label(Text("Label", "LDL", "LDL")), r, 3);
  g->addWidget(e(H::LDL), r++, 4);
  g->addWidget(label(Text("Label", "HDL", "HDL")), r, 3);
  g->addWidget(e(H::HDL), r++, 4);
  g->setColumnStretch(6, 1);
  auto* lay = new QVBoxLayout(this);
  lay->addLayout(g);
  lay->addStretch();
}

void CADHealthRecord::Load(const HealthRecord& hr) {
  HealthRecordEntries t = HealthEntriesFrom(hr);
  for (int i = 0; i < kHealthEntryCount; ++i) entries_[i]->setText(QString::fromStdString(t[i]));
  type_->setCurrentIndex(hr.diabetesType);
  diagnosed_->setDate(ToQDate(hr.yearDiagnosed));
  hightUnit_->setCurrentIndex(hr.hightUnit);
  weightUnit_->setCurrentIndex(hr.weightUnit);
  glucoUnit_->setCurrentIndex(hr.glucoUnit);
  ketones_->setCurrentIndex(hr.ketnotes);
  microalbumin_->setCurrentIndex(hr.microalbumin);
}

HealthRecordEntries CADHealthRecord::Texts() const {
  HealthRecordEntries t;
  for (int i = 0; i < kHealthEntryCount; ++i) t[i] = entries_[i]->text().trimmed().toStdString();
  return t;
}

bool CADHealthRecord::Validate(Prompter& prompter) {
  HealthCheck c = CheckHealthRecord(Texts());
  if (c.ok) return true;
  if (!c.message.empty()) prompter.Message(c.message, WarningCaption());
  QLineEdit* failing = entry(c.entry);
  failing->setFocus();
  failing->selectAll();
  return false;
}

void CADHealthRecord::Store(HealthRecord& hr) const {
  ApplyHealthEntries(Texts(), hr);
  hr.diabetesType = type_->currentIndex();
  hr.yearDiagnosed = FromQDate(diagnosed_->date());
  hr.hightUnit = hightUnit_->currentIndex();
  hr.weightUnit = weightUnit_->currentIndex();
  hr.glucoUnit = glucoUnit_->currentIndex();
  hr.ketnotes = ketones_->currentIndex();
  hr.microalbumin = microalbumin_->currentIndex();
}

CADInquiry::CADInquiry(QWidget* parent) : QWidget(parent) {
  date_ = new QDateEdit(this);
  date_->setDisplayFormat(QStringLiteral("MM / dd / yyyy"));
  date_->setCalendarPopup(true);
  comment_ = new QLineEdit(this);
  comment_->setMaxLength(100);
  note_ = new QTextEdit(this);
  note_->setAcceptRichText(false);
  special_ = new QCheckBox(Text("Label", "SpecialView", "Special View"), this);
  // The note column holds 1000 characters; longer text is cut as it is typed.
  connect(note_, &QTextEdit::textChanged, this, [this] {
    const QString t = note_->toPlainText();
    if (t.size() > 1000) {
      QSignalBlocker b(note_);
      note_->setPlainText(t.left(1000));
      note_->moveCursor(QTextCursor::End);
    }
  });
  auto* form = new QFormLayout(this);
  form->addRow(Text("Label", "Date", "Date :"), date_);
  form->addRow(Text("Label", "Comment", "Comment :"), comment_);
  form->addRow(Text("Label", "InquiryNote", "Inquiry Note :"), note_);
  form->addRow(QString(), special_);
}

void CADInquiry::Load(const Inquiry& q) {
  date_->setDate(ToQDate(q.inquiryDate));
  comment_->setText(QString::fromStdString(q.comment));
  note_->setPlainText(QString::fromStdString(q.note));
  special_->setChecked(q.special);
}

void CADInquiry::Store(Inquiry& q) const {
  q.inquiryDate = FromQDate(date_->date());
  q.comment = comment_->text().toStdString();
  q.note = note_->toPlainText().toStdString();
  q.special = special_->isChecked();
}

}  // namespace meridane
