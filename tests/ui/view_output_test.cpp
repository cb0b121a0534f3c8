// The view's outputs on real devices: the window's 4:3 area, a printed PDF page, and the
// clipboard picture in both of its forms.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPageSize>
#include <QPrinter>

#include "measure/spectrel_doc.h"
#include "ui/graph_output.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::ReadFile;
using uitest::TempFolder;

class ViewOutput : public ::testing::Test {
 protected:
  ViewOutput() {
    Settings.KrfFolder = Folder.Slash();
    Settings.CsvFolder = Folder.Slash();
    Settings.AppFolder = Folder.Slash();
    Settings.UserMemo = "Roof station";
  }
  TempFolder Folder;
  AppSettings Settings;
  QtDocumentHost Host;
  CSpectrelDoc Doc{Settings, Host};
  CSpectrelView View{Doc};
};

// Counts the page objects of a PDF ("/Type /Page", not "/Type /Pages").
int PdfPageCount(const std::string& pdf) {
  int pages = 0;
  for (auto at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1)) {
    const char next = at + 11 < pdf.size() ? pdf[at + 11] : ' ';
    if (next != 's') ++pages;
  }
  return pages;
}

TEST_F(ViewOutput, WindowAreaIsFourToThreeAtTopLeft) {
  View.resize(1200, 600);
  const QImage shot = View.grab().toImage();
  EXPECT_EQ(Doc.GraphWidth, 800);
  EXPECT_EQ(Doc.GraphHeight, 600);
  // Frame on the plot's left edge 0.14 x 800 = 112, from 0.125 x 600 = 75 to 0.85 x 600 = 510.
  const QRgb frame = ColorOfRef(Settings.Graph.FrameColor).rgb();
  EXPECT_EQ(shot.pixel(112, 300), frame);
  EXPECT_EQ(shot.pixel(639, 300), frame);   // right edge 0.8 x 800 = 640, drawn one inside
  EXPECT_NE(shot.pixel(112, 520), frame);   // below the plot's bottom 510

  View.resize(800, 900);
  View.grab();
  EXPECT_EQ(Doc.GraphWidth, 800);
  EXPECT_EQ(Doc.GraphHeight, 600);
}

TEST_F(ViewOutput, PrintedPdfHasOnePageWithTheMarginedArea) {
  const std::string pdfPath = Folder.Path + "/page.pdf";
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdfPath));
  // 480 x 660 points at 720 dots per inch: a printable area of 4800 x 6600 square units.
  printer.setResolution(720);
  printer.setPageSize(QPageSize(QSizeF(480, 660), QPageSize::Point));
  printer.setFullPage(true);
  ASSERT_EQ(printer.width(), 4800);
  ASSERT_EQ(printer.height(), 6600);
  CGraph graph;
  ASSERT_TRUE(PrintGraph(printer, Doc, graph));
  EXPECT_EQ(Doc.GraphWidth, 4560);
  EXPECT_EQ(Doc.GraphHeight, 3420);
  // The plot is laid out in the area: left 0.14 x 4560 = 638.
  EXPECT_EQ(graph.Rect.Left, 638);
  EXPECT_EQ(graph.Rect.Bottom, 2907);   // 0.85 x 3420
  const std::string pdf = ReadFile(pdfPath);
  ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
  EXPECT_EQ(PdfPageCount(pdf), 1);
}

TEST_F(ViewOutput, CopyPutsSvgAndImageOfSixFortyByFourEighty) {
  View.resize(1200, 900);
  View.grab();
  ASSERT_EQ(Doc.GraphWidth, 1200);
  QGuiApplication::clipboard()->clear();
  View.OnCopy();
  // Whatever the window size, the picture is 640 x 480.
  EXPECT_EQ(Doc.GraphWidth, 640);
  EXPECT_EQ(Doc.GraphHeight, 480);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  ASSERT_TRUE(data->hasFormat(QStringLiteral("image/svg+xml")));
  const QByteArray svg = data->data(QStringLiteral("image/svg+xml"));
  EXPECT_TRUE(svg.contains("<svg"));
  EXPECT_TRUE(svg.contains("viewBox=\"0 0 640 480\""));
  EXPECT_TRUE(svg.contains("Wavelength (nm)"));
  ASSERT_TRUE(data->hasImage());
  const QImage image = qvariant_cast<QImage>(data->imageData());
  EXPECT_EQ(image.size(), QSize(640, 480));
  // White ground, frame on the plot's left edge 0.14 x 640 = 89 at mid height.
  EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(89, 240), ColorOfRef(Settings.Graph.FrameColor).rgb());
}

}  // namespace
}  // namespace spectrel
