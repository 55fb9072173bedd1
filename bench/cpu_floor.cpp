// The floor for bench/cpu_usage.sh: the least a Qt display of this kind can do every 50 ms. It
// changes two labels and draws ten radial lines, bunched like bearings, into a persistent image,
// repainting only their box.
// Not part of the program; it shows what any Qt window on this machine costs.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTime>
#include <QTimer>
#include <QWidget>
#include <cmath>

namespace {

class Floor final : public QWidget {
 public:
  Floor() : time_(this), count_(this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("cpu floor"));
    time_.move(10, 10);
    count_.move(10, 40);
    time_.resize(200, 25);
    count_.resize(200, 25);
    connect(&timer_, &QTimer::timeout, this, [this] { step(); });
    timer_.start(50);
  }

 protected:
  void resizeEvent(QResizeEvent*) override {
    image_ = QImage(size() * devicePixelRatioF(), QImage::Format_RGB32);
    image_.setDevicePixelRatio(devicePixelRatioF());
    image_.fill(Qt::darkGreen);
  }
  void paintEvent(QPaintEvent* event) override {
    QPainter p(this);
    for (const QRect& r : event->region())
      p.drawImage(
          r, image_,
          QRectF(QPointF(r.topLeft()) * image_.devicePixelRatio(), QSizeF(r.size()) * image_.devicePixelRatio()));
  }

 private:
  void step() {
    time_.setText(QStringLiteral("TIME : ") + QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    count_.setText(QStringLiteral("TOTAL BRG : %1").arg(++n_));
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = height() * 0.4;
    QPainter p(&image_);
    p.setPen(QColor(255, 128, 0));
    QRectF box(centre, QSizeF(0, 0));
    for (int i = 0; i < 10; ++i) {
      // Bunched like bearings from one direction, which turns slowly.
      const double a = (n_ / 20.0 + QRandomGenerator::global()->bounded(20.0)) * 3.14159265 / 180.0;
      const double r = QRandomGenerator::global()->bounded(radius);
      const QPointF end = centre + QPointF(r * std::cos(a), r * std::sin(a));
      p.drawLine(centre, end);
      box |= QRectF(end, QSizeF(1, 1));
    }
    p.end();
    update(box.toAlignedRect().adjusted(-2, -2, 2, 2));
  }

  QImage image_;
  QLabel time_;
  QLabel count_;
  QTimer timer_;
  int n_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Floor floor;
  floor.showMaximized();
  return app.exec();
}
