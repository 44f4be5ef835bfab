#pragma once
// The "Patient book" choice: this computer's book, or a clinic's server by its address. OK
// checks the address, remembers the choice for this user and makes it the book in use.
#include <QDialog>

#include "base/book_location.h"
#include "base/prompter.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace meridane {

class CBookChoice : public QDialog {
  Q_OBJECT
 public:
  explicit CBookChoice(Prompter& prompter, QWidget* parent = nullptr);

  QRadioButton* thisComputer() const { return thisComputer_; }
  QRadioButton* server() const { return server_; }
  QLineEdit* address() const { return address_; }
  // The book chosen, valid once the dialog was accepted.
  const BookLocation& chosen() const { return chosen_; }

 public slots:
  // A refused address is told and the dialog stays open.
  void accept() override;

 private:
  void UpdateAddressState();

  Prompter& prompter_;
  QRadioButton* thisComputer_;
  QRadioButton* server_;
  QLineEdit* address_;
  BookLocation chosen_;
};

// The line every page shows: "Patient book: …".
QString BookInUseText();

}  // namespace meridane
