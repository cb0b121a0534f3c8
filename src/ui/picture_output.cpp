#include "ui/picture_output.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSvgGenerator>
#include <QTimer>

namespace spectrel {

namespace {

bool PaintPage(QPagedPaintDevice& device, const PictureSource& source) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  source.Paint(painter, source.PageArea(device));
  return painter.end();
}

}  // namespace

QImage PictureImage(const PictureSource& source, const QSize& size) {
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(Qt::white);
  QPainter painter(&image);
  source.Paint(painter, QRect(QPoint(0, 0), size));
  painter.end();
  return image;
}

QByteArray PictureSvg(const PictureSource& source, const QSize& size) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  generator.setTitle(source.Title);
  QPainter painter;
  if (!painter.begin(&generator)) return {};
  painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
  source.Paint(painter, QRect(QPoint(0, 0), size));
  if (!painter.end()) return {};
  return buffer.data();
}

std::unique_ptr<QMimeData> PictureMime(const PictureSource& source, const QSize& size) {
  const QByteArray svg = PictureSvg(source, size);
  const QImage image = PictureImage(source, size);
  if (svg.isEmpty() || image.isNull()) return nullptr;
  auto mime = std::make_unique<QMimeData>();
  mime->setData(QString::fromLatin1(SvgMimeType), svg);
  mime->setImageData(image);
  return mime;
}

bool PrintPicture(QPrinter& printer, const PictureSource& source) { return PaintPage(printer, source); }

void PreviewPicture(QPrinter& printer, QWidget* parent, const PictureSource& source) {
  QPrintPreviewDialog preview(&printer, parent);
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&source](QPrinter* page) { PrintPicture(*page, source); });
  // The dialog starts at fit-to-page; once it shows, switch to fit-to-width through its own
  // command so its toolbar agrees.
  QTimer::singleShot(0, &preview, [&preview] {
    if (auto* fitWidth = preview.findChild<QAction*>(QStringLiteral("fitWidthAction"))) {
      fitWidth->trigger();
    } else if (auto* widget = preview.findChild<QPrintPreviewWidget*>()) {
      widget->fitToWidth();
    }
  });
  preview.exec();
}

bool CopyPicture(const PictureSource& source, const QSize& size) {
  std::unique_ptr<QMimeData> picture = PictureMime(source, size);
  if (!picture) return false;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return true;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  clipboard->setMimeData(picture.release());
  QGuiApplication::restoreOverrideCursor();
  return true;
}

bool SavePicture(const PictureSource& source, const QString& path, const QSize& size) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("pdf")) {
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    pdf.setResolution(600);
    return PaintPage(pdf, source);
  }
  if (suffix == QLatin1String("svg")) {
    const QByteArray svg = PictureSvg(source, size);
    QFile file(path);
    return !svg.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(svg) == svg.size() && file.flush();
  }
  return PictureImage(source, size).save(path, "PNG");
}

}  // namespace spectrel
