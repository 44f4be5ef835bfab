#pragma once
// The download's modal progress dialog: an animated picture, how far the read has come,
// and Cancel (also Esc and the close box), which asks the link to stop. It closes itself
// when the worker's outcome leaves its running value: checked on a 1000 ms tick, and at
// once when the worker says it has ended.
#include <QDialog>
#include <QObject>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace meridane {

class CAnimatedPicture;
class DownloadSession;

// Carries the worker's "I have ended" from its thread to the dialog. Lives at least as long
// as the session it is attached to.
class DownloadFinishedRelay : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  // Makes the session notify this relay (set while no worker runs).
  void Attach(DownloadSession& session);
  // Callable from any thread.
  void Notify() { emit Finished(); }

 signals:
  void Finished();
};

class CProgressGIF : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 1000;     // the outcome check
  static constexpr int kProgressMs = 100;  // the progress text

  CProgressGIF(DownloadSession& session, DownloadFinishedRelay* relay, QWidget* parent = nullptr);

  QLabel* statusLabel() const { return status_; }
  QProgressBar* bar() const { return bar_; }
  QPushButton* cancelButton() const { return cancel_; }
  CAnimatedPicture* picture() const { return picture_; }
  bool cancelRequested() const { return cancelRequested_; }

 public slots:
  // The 1000 ms tick and the worker's notice: close once the outcome is final.
  void OnTick();
  // Cancel, Esc and the close box: the read stops at the link's next check.
  void OnCancel();
  void reject() override { OnCancel(); }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void ShowProgress();

  DownloadSession& session_;
  CAnimatedPicture* picture_;
  QLabel* status_;
  QProgressBar* bar_;
  QPushButton* cancel_;
  QTimer* tick_;
  QTimer* progressTimer_;
  bool cancelRequested_ = false;
};

// Waits for the session's worker in the progress dialog, then joins it: the download's
// wait step in the window.
void WaitInProgressDialog(DownloadSession& session, DownloadFinishedRelay* relay, QWidget* parent);

}  // namespace meridane
