#include "gui/widgets/profile_view.h"

#include <QFontMetricsF>
#include <QPainter>

#include "output/print_pages.h"

namespace meridane {

namespace {
QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }
}  // namespace

CProfileView::CProfileView(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  // Below the paper page's own size the smallest texts would no longer be readable.
  setMinimumSize(static_cast<int>(kProfilePageWidth) + 16, static_cast<int>(kProfilePageHeight) + 16);
}

void CProfileView::SetPage(ProfilePage page) {
  page_ = std::move(page);
  update();
}

void CProfileView::RenderReport(QPainter& painter, const QRectF& target) {
  const double scale =
      std::min(target.width() / kProfilePageWidth, target.height() / kProfilePageHeight);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.translate(target.center().x() - kProfilePageWidth * scale / 2,
                    target.center().y() - kProfilePageHeight * scale / 2);
  painter.scale(scale, scale);
  for (const ProfileShape& s : page_.shapes) {
    switch (s.kind) {
      case ProfileShape::Kind::Rect:
        painter.setPen(s.stroke ? QPen(ToQColor(*s.stroke), s.lineWidth) : QPen(Qt::NoPen));
        painter.setBrush(s.fill ? QBrush(ToQColor(*s.fill)) : QBrush(Qt::NoBrush));
        painter.drawRect(QRectF(s.x, s.y, s.w, s.h));
        break;
      case ProfileShape::Kind::Line:
        painter.setPen(QPen(ToQColor(s.stroke.value_or(Rgb{})), s.lineWidth));
        painter.drawLine(QPointF(s.x, s.y), QPointF(s.w, s.h));
        break;
      case ProfileShape::Kind::Text: {
        QFont font(QString::fromLatin1(kPrintFace));
        font.setPixelSize(std::max(1, static_cast<int>(s.size + 0.5f)));
        font.setBold(s.bold);
        font.setHintingPreference(QFont::PreferNoHinting);
        const QString text = QString::fromStdString(s.text);
        // Text wider than its room (a long translation) is set smaller, down to half size,
        // as the PDF does, rather than run into its neighbour.
        if (s.maxWidth > 0) {
          const qreal wide = QFontMetricsF(font).horizontalAdvance(text);
          if (wide > s.maxWidth)
            font.setPixelSize(std::max(1, static_cast<int>(
                                              std::max<qreal>(s.size / 2, s.size * s.maxWidth / wide))));
        }
        painter.setFont(font);
        painter.setPen(ToQColor(s.color));
        painter.drawText(QPointF(s.x, s.y), text);
        break;
      }
    }
  }
  painter.restore();
}

void CProfileView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  RenderReport(painter, QRectF(rect()).adjusted(8, 8, -8, -8));
}

}  // namespace meridane
