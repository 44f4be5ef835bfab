#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>

#include "gui/main/gui_support.h"
#include "gui/profile/ad_tabs.h"

namespace meridane {

CADRegimen::CADRegimen(QWidget* parent) : QWidget(parent) {
  list_ = new QListWidget(this);
  list_->setMaximumWidth(200);
  name_ = new QLineEdit(this);
  name_->setMaxLength(static_cast<int>(kMaxRegimenName));
  active_ = new QCheckBox(Text("Label", "Active", "Active"), this);
  date_ = new QDateEdit(this);
  date_->setDisplayFormat(QStringLiteral("MM / dd / yyyy"));
  date_->setCalendarPopup(true);

  auto* right = new QGridLayout;
  right->addWidget(new QLabel(Text("Label", "RegimenName", "Regimen Name :"), this), 0, 0);
  right->addWidget(name_, 0, 1, 1, 3);
  right->addWidget(active_, 0, 4);
  right->addWidget(new QLabel(Text("Label", "DateEffective", "Date Effective :"), this), 1, 0);
  right->addWidget(date_, 1, 1, 1, 2);
  static constexpr TextId kRows[] = {
      TextId{"Label", "Breakfast :", "Breakfast :"}, TextId{"Label", "Lunch :", "Lunch :"},
      TextId{"Label", "Dinner :", "Dinner :"}, TextId{"Label", "Night :", "Night :"}};
  auto* unitsCheck =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]{0,6}")), this);
  for (int row = 0; row < 4; ++row) {
    right->addWidget(new QLabel(Text(kRows[row]), this), 2 + row * 2, 0);  // dynamic text
    for (int k = 0; k < 2; ++k) {
      int dose = row * 2 + k;
      units_[dose] = new QLineEdit(this);
      units_[dose]->setValidator(unitsCheck);
      units_[dose]->setMaximumWidth(70);
      types_[dose] = new QComboBox(this);
      types_[dose]->setMinimumWidth(150);
      int r = 2 + row * 2 + k;
      right->addWidget(new QLabel(Text("Label", "Units", "Units"), this), r, 1);
      right->addWidget(units_[dose], r, 2);
      right->addWidget(new QLabel(Text("Label", "Type", "Type"), this), r, 3);
      right->addWidget(types_[dose], r, 4);
    }
  }
  right->setRowStretch(10, 1);
  auto* lay = new QHBoxLayout(this);
  lay->addWidget(list_);
  lay->addLayout(right, 1);

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0 || row == shown_) return;
    if (!TakeShown()) {
      // The shown regimen keeps the focus until its units are within bounds.
      QSignalBlocker b(list_);
      list_->setCurrentRow(shown_);
      return;
    }
    Show(row);
  });
  connect(active_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) {
      regimens_.activeRegimen = shown_;
    } else if (regimens_.activeRegimen == shown_) {
      regimens_.activeRegimen = -1;
    }
    RefreshList();
  });
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) {
    regimens_.regimen[shown_].name = t.toStdString();
    RefreshList();
  });
}

void CADRegimen::Load(const Regimens& r) {
  regimens_ = r;
  shown_ = 0;
  RefreshList();
  Show(0);
}

void CADRegimen::SetInsulinNames(const std::vector<std::string>& names) {
  TakeShown();
  insulinNames_ = names;
  Show(shown_);
}

void CADRegimen::RefreshList() {
  QSignalBlocker b(list_);
  if (list_->count() != 5) {
    list_->clear();
    for (int i = 0; i < 5; ++i) list_->addItem(QString());
  }
  for (int i = 0; i < 5; ++i)
    list_->item(i)->setText(QString::fromStdString(RegimenListText(regimens_, i)));
  list_->setCurrentRow(shown_);
}

void CADRegimen::Show(int row) {
  shown_ = row;
  const Regimen& r = regimens_.regimen[row];
  name_->setText(QString::fromStdString(r.name));
  {
    QSignalBlocker b(active_);
    active_->setChecked(regimens_.activeRegimen == row);
  }
  date_->setDate(ToQDate(r.date));
  for (int d = 0; d < 8; ++d) {
    units_[d]->setText(QString::fromStdString(FormatEntryNumber(r.doses[d].units)));
    QComboBox* c = types_[d];
    c->clear();
    c->addItem(QString());
    for (const auto& n : insulinNames_) c->addItem(QString::fromStdString(n));
    const QString type = QString::fromStdString(r.doses[d].type);
    // A stored type that is no longer among the insulins is still shown, never dropped.
    if (!type.isEmpty() && c->findText(type) < 0) c->addItem(type);
    c->setCurrentIndex(c->findText(type));
  }
  RefreshList();
}

bool CADRegimen::TakeShown() {
  Regimen r = regimens_.regimen[shown_];
  r.name = name_->text().toStdString();
  r.date = FromQDate(date_->date());
  for (int k = 0; k < 8; ++k) {
    // A cleared entry means no dose.
    const std::string text = units_[k]->text().trimmed().toStdString();
    auto v = text.empty() ? std::optional<double>(0) : ParseEntryNumber(text, true);
    if (!v) return false;
    r.doses[k].units = *v;
    r.doses[k].type = types_[k]->currentText().toStdString();
  }
  if (!RegimenUnitsValid(r)) return false;
  regimens_.regimen[shown_] = r;
  return true;
}

bool CADRegimen::Validate() { return TakeShown(); }

void CADRegimen::Store(Regimens& r) const { r = regimens_; }

}  // namespace meridane
