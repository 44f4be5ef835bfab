#include "gui/main/book_choice.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/data_paths.h"
#include "gui/main/gui_support.h"

namespace meridane {

namespace {
constexpr const char* kAddressForm = "postgresql://HOST:5432/meridane?sslmode=verify-full";
}

QString BookInUseText() {
  return Text("BookChoice", "InUse", "Patient book: %1")
      .arg(QString::fromStdString(DescribeBookLocation(CurrentBookLocation())));
}

CBookChoice::CBookChoice(Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
  setWindowTitle(Text("BookChoice", "Title", "Patient book"));
  auto* lay = new QVBoxLayout(this);
  auto* intro = new QLabel(Text("BookChoice", "Intro",
                                "Where this window keeps and finds its patients. A clinic "
                                "whose desks share one book keeps it on a server."));
  intro->setWordWrap(true);
  lay->addWidget(intro);

  thisComputer_ = new QRadioButton(Text("BookChoice", "ThisComputer", "This computer"));
  lay->addWidget(thisComputer_);
  auto* path = new QLabel(QString::fromStdString(PatientDatabasePath()));
  path->setIndent(24);
  path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  path->setForegroundRole(QPalette::PlaceholderText);
  lay->addWidget(path);

  server_ = new QRadioButton(Text("BookChoice", "Server", "A clinic server"));
  lay->addWidget(server_);
  auto* group = new QButtonGroup(this);
  group->addButton(thisComputer_);
  group->addButton(server_);

  auto* addressLabel = new QLabel(Text("BookChoice", "Address", "Server address:"));
  addressLabel->setIndent(24);
  lay->addWidget(addressLabel);
  address_ = new QLineEdit;
  address_->setPlaceholderText(QString::fromLatin1(kAddressForm));
  address_->setMinimumWidth(460);
  addressLabel->setBuddy(address_);
  auto* addressRow = new QHBoxLayout;
  addressRow->addSpacing(24);
  addressRow->addWidget(address_);
  lay->addLayout(addressRow);
  auto* hint = new QLabel(Text("BookChoice", "Hint",
                               "For example %1\nThe password is never typed here: it comes from "
                               "the PostgreSQL password file (~/.pgpass) or service file.")
                              .arg(QString::fromLatin1(kAddressForm)));
  hint->setIndent(24);
  hint->setWordWrap(true);
  hint->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lay->addWidget(hint);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &CBookChoice::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CBookChoice::reject);
  lay->addWidget(buttons);

  // Opens on the book in use.
  const BookLocation current = CurrentBookLocation();
  const bool onServer = current.kind == BookLocation::Kind::Server;
  (onServer ? server_ : thisComputer_)->setChecked(true);
  if (onServer) address_->setText(QString::fromStdString(current.where));
  connect(server_, &QRadioButton::toggled, this, [this] { UpdateAddressState(); });
  UpdateAddressState();
}

void CBookChoice::UpdateAddressState() {
  address_->setEnabled(server_->isChecked());
  if (server_->isChecked()) address_->setFocus();
}

void CBookChoice::accept() {
  if (thisComputer_->isChecked()) {
    chosen_ = BookLocation{BookLocation::Kind::File, PatientDatabasePath()};
  } else {
    std::string error;
    const std::string text = address_->text().trimmed().toStdString();
    auto location = ParseBookLocation(text, &error);
    // A file path typed as the address is not a server.
    if (location && location->kind != BookLocation::Kind::Server) {
      location.reset();
      error = LookupText("BookChoice", "NotServer",
                         "A server's address begins with postgresql:// or postgres://.");
    }
    if (!location) {
      prompter_.Message(error, WarningCaption());
      address_->setFocus();
      return;
    }
    chosen_ = *location;
  }
  // The choice holds for this run even when it cannot be kept for the next one.
  std::string error;
  if (!RememberBookLocation(chosen_, &error)) prompter_.Message(error, WarningCaption());
  SetBookLocationOverride(chosen_);
  QDialog::accept();
}

}  // namespace meridane
