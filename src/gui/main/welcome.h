#pragma once
// The home page: individual or multiple management, Help, and the way out of the program.
#include "gui/main/app_state.h"
#include "gui/main/page_frame.h"
#include "base/prompter.h"

class QPushButton;

namespace meridane {

class CWelcome : public CPageFrame {
  Q_OBJECT
 public:
  CWelcome(AppState& state, Prompter& prompter, PageRunner runner, const ScreenMetrics& screen,
           QWidget* parent = nullptr);

  // The patient page's action (1..4) and its mode, valid when the page was accepted.
  int action() const { return action_; }
  int mode() const { return mode_; }

  QPushButton* individualButton() const { return individual_; }
  QPushButton* multipleButton() const { return multiple_; }
  QPushButton* bookButton() const { return book_; }

 public slots:
  void OnManagement(int mode);
  void OnHelp();
  // The "Patient book" choice; a new book is opened (and its tables made) at once, so a
  // failure is told here and the user can choose again.
  void OnBookChoice();
  // The close box and Esc: "Are you sure to leave Meridane?"; OK ends the program.
  void reject() override;

 private:
  AppState& state_;
  Prompter& prompter_;
  PageRunner runner_;
  QPushButton* individual_;
  QPushButton* multiple_;
  QPushButton* book_;
  int action_ = kNoAction;
  int mode_ = kIndividual;
};

}  // namespace meridane
