#include "gui/download/patient_chooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"

namespace meridane {

CPatientChooser::CPatientChooser(const std::string& serial,
                                 const std::vector<PatientChoice>& owners, QWidget* parent)
    : QDialog(parent), owners_(owners) {
  setWindowTitle(Text("Download", "WhichPatient", "Which patient?"));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(Text("Download", "WhichPatientSerial",
                                "Several patients use the meter with serial number %1.")
                               .arg(QString::fromStdString(serial)) +
                           QLatin1Char('\n') +
                           Text("Download", "WhichPatientAsk", "Whose readings are these?"));
  label->setWordWrap(true);
  layout->addWidget(label);
  list_ = new QListWidget(this);
  for (const PatientChoice& p : owners_)
    list_->addItem(QStringLiteral("%1   (%2)")
                       .arg(QString::fromStdString(p.fullName), QString::fromStdString(p.idNo)));
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  // Nothing is picked for the user: OK waits for a choice.
  ok->setEnabled(false);
  connect(list_, &QListWidget::currentRowChanged, ok, [ok](int row) { ok->setEnabled(row >= 0); });
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(420, 260);
}

std::optional<std::string> CPatientChooser::chosen() const {
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(owners_.size())) return std::nullopt;
  return owners_[static_cast<std::size_t>(row)].idNo;
}

}  // namespace meridane
