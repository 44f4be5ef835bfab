#pragma once
// The glucose profile page on screen and on paper: the shapes of its landscape page,
// scaled to fit, so the window, the printer and the PDF show one layout.
#include <QWidget>

#include "gui/widgets/printable_report.h"
#include "output/profile_page.h"

namespace meridane {

class CProfileView : public QWidget, public CPrintableReport {
  Q_OBJECT
 public:
  explicit CProfileView(QWidget* parent = nullptr);

  void SetPage(ProfilePage page);
  const ProfilePage& page() const { return page_; }

  void RenderReport(QPainter& painter, const QRectF& target) override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  ProfilePage page_;
};

}  // namespace meridane
