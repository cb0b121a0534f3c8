// Every place a picture of the program goes, written once for the graph and the day overview:
// PNG and SVG pictures on a white ground, the clipboard (both forms in one package), a PDF page,
// the printer and its preview.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QMimeData;
class QPaintDevice;
class QPrinter;
class QWidget;

namespace spectrel {

struct PictureSource {
  QString Title;                                        // the SVG picture's title
  std::function<void(QPainter&, const QRect&)> Paint;   // draws the whole picture into the area
  std::function<QRect(const QPaintDevice&)> PageArea;   // where it lies on a page, device units
};

inline constexpr const char* SvgMimeType = "image/svg+xml";

// Null / empty when the picture cannot be made.
QImage PictureImage(const PictureSource& source, const QSize& size);
QByteArray PictureSvg(const PictureSource& source, const QSize& size);
std::unique_ptr<QMimeData> PictureMime(const PictureSource& source, const QSize& size);

// One page on the printer (or a PDF printer); false when it cannot be painted on.
bool PrintPicture(QPrinter& printer, const PictureSource& source);
// The modal preview of that page, opened at the page's full width so lines and text can be read.
void PreviewPicture(QPrinter& printer, QWidget* parent, const PictureSource& source);
// Puts both forms on the clipboard; false when the picture could not be made. A missing
// clipboard is silently no copy.
bool CopyPicture(const PictureSource& source, const QSize& size);
// A PNG, SVG (size in pixels) or PDF (a landscape A4 page) file, chosen by the file's suffix.
bool SavePicture(const PictureSource& source, const QString& path, const QSize& size);

}  // namespace spectrel
