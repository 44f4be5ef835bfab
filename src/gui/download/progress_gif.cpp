#include "gui/download/progress_gif.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/main/gui_support.h"
#include "download/download_worker.h"
#include "gui/widgets/animated_picture.h"

namespace meridane {

void DownloadFinishedRelay::Attach(DownloadSession& session) {
  session.SetFinishedNotifier([this] { Notify(); });
}

CProgressGIF::CProgressGIF(DownloadSession& session, DownloadFinishedRelay* relay, QWidget* parent)
    : QDialog(parent), session_(session) {
  setWindowTitle(QStringLiteral("Meridane"));
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  picture_ = new CAnimatedPicture(this);
  auto* heading = new QLabel(Text("Download", "Reading", "Reading the meter..."), this);
  heading->setFont(UiFont(11, QFont::DemiBold));
  status_ = new QLabel(this);
  status_->setMinimumWidth(260);
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  bar_->setRange(0, 0);  // busy until the meter says how many records it holds
  auto* hint = new QLabel(
      Text("Download", "KeepConnected", "Keep the meter connected until the reading is done."),
      this);
  hint->setWordWrap(true);
  QPalette grey = hint->palette();
  grey.setColor(QPalette::WindowText, QColor(0x55, 0x55, 0x55));
  hint->setPalette(grey);
  cancel_ = new QPushButton(Text("Label", "Cancel", "Cancel"), this);
  cancel_->setAutoDefault(false);

  auto* text = new QVBoxLayout;
  text->addWidget(heading);
  text->addWidget(status_);
  text->addWidget(bar_);
  text->addWidget(hint);
  text->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(picture_);
  top->addSpacing(12);
  top->addLayout(text, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_);
  auto* all = new QVBoxLayout(this);
  all->setContentsMargins(18, 18, 18, 14);
  all->addLayout(top);
  all->addLayout(buttons);
  connect(cancel_, &QPushButton::clicked, this, &CProgressGIF::OnCancel);

  tick_ = new QTimer(this);
  tick_->setInterval(kTickMs);
  connect(tick_, &QTimer::timeout, this, &CProgressGIF::OnTick);
  tick_->start();
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(kProgressMs);
  connect(progressTimer_, &QTimer::timeout, this, &CProgressGIF::ShowProgress);
  progressTimer_->start();
  // Queued: the worker's thread only posts; the check runs here.
  if (relay)
    connect(relay, &DownloadFinishedRelay::Finished, this, &CProgressGIF::OnTick,
            Qt::QueuedConnection);
  ShowProgress();
  // The worker may have ended before this dialog could hear of it.
  QTimer::singleShot(0, this, &CProgressGIF::OnTick);
}

void CProgressGIF::ShowProgress() {
  if (cancelRequested_) return;
  const ReadProgress& p = session_.progress();
  const std::uint32_t total = p.total.load(std::memory_order_relaxed);
  const std::uint32_t done = p.done.load(std::memory_order_relaxed);
  if (total == 0) {
    status_->setText(Text("Download", "Waiting", "Waiting for the meter's answer..."));
    return;
  }
  if (bar_->maximum() != int(total)) bar_->setRange(0, int(total));
  bar_->setValue(int(done));
  status_->setText(Text("Download", "Records", "Records read: %1 of %2").arg(done).arg(total));
}

void CProgressGIF::OnTick() {
  if (session_.Poll() == kDownloadRunning) return;
  tick_->stop();
  progressTimer_->stop();
  done(QDialog::Accepted);
}

void CProgressGIF::OnCancel() {
  if (cancelRequested_) return;
  cancelRequested_ = true;
  session_.Cancel();
  cancel_->setEnabled(false);
  status_->setText(Text("Download", "Stopping", "Stopping the read..."));
}

void CProgressGIF::closeEvent(QCloseEvent* e) {
  // The dialog stays until the worker has ended; closing it asks the read to stop.
  if (session_.Poll() == kDownloadRunning) {
    e->ignore();
    OnCancel();
    return;
  }
  e->accept();
}

void WaitInProgressDialog(DownloadSession& session, DownloadFinishedRelay* relay, QWidget* parent) {
  if (session.Poll() == kDownloadRunning) {
    CProgressGIF dialog(session, relay, parent);
    dialog.exec();
    // Joined before the dialog goes, so no late notice can reach a dialog being destroyed.
    session.Join();
    return;
  }
  session.Join();
}

}  // namespace meridane
