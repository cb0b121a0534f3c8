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

const QRgb Green = qRgb(0, 128, 0);   // the default frame colour 0x008000

class ViewOutput : public ::testing::Test {
 protected:
  ViewOutput() { Settings.KrfFolder = Settings.CsvFolder = Settings.AppFolder = Folder.Slash(); }
  uitest::TempFolder Folder;
  AppSettings Settings;
  QtDocumentHost Host;
  CSpectrelDoc Doc{Settings, Host};
  CSpectrelView View{Doc};
};

TEST_F(ViewOutput, WindowAreaIsFourToThreeAtTopLeft) {
  View.resize(1200, 600);
  const QImage shot = View.grab().toImage();
  EXPECT_EQ(Doc.GraphWidth, 800);
  EXPECT_EQ(Doc.GraphHeight, 600);
  // Frame on the plot's left edge 0.14 x 800 = 112, from 0.125 x 600 = 75 to 0.85 x 600 = 510;
  // the right edge 0.8 x 800 = 640 is drawn one inside.
  EXPECT_EQ(shot.pixel(112, 300), Green);
  EXPECT_EQ(shot.pixel(639, 300), Green);
  EXPECT_NE(shot.pixel(112, 520), Green);
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
  EXPECT_EQ(graph.Rect.Left, 638);      // 0.14 x 4560
  EXPECT_EQ(graph.Rect.Bottom, 2907);   // 0.85 x 3420
  // One page object: "/Type /Page" but not "/Type /Pages".
  const std::string pdf = uitest::ReadFile(pdfPath);
  ASSERT_EQ(pdf.rfind("%PDF", 0), 0u);
  int pages = 0;
  for (auto at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
    pages += pdf.compare(at, 12, "/Type /Pages") != 0;
  EXPECT_EQ(pages, 1);
}

TEST_F(ViewOutput, CopyPutsSvgAndImageOfSixFortyByFourEighty) {
  View.resize(1200, 900);
  View.grab();
  ASSERT_EQ(Doc.GraphWidth, 1200);
  QGuiApplication::clipboard()->clear();
  View.OnCopy();
  EXPECT_EQ(Doc.GraphWidth, 640);   // whatever the window size
  EXPECT_EQ(Doc.GraphHeight, 480);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  const QByteArray svg = data->data(QStringLiteral("image/svg+xml"));
  EXPECT_TRUE(svg.contains("<svg"));
  EXPECT_TRUE(svg.contains("viewBox=\"0 0 640 480\""));
  EXPECT_TRUE(svg.contains("Wavelength (nm)"));
  ASSERT_TRUE(data->hasImage());
  const QImage image = qvariant_cast<QImage>(data->imageData());
  EXPECT_EQ(image.size(), QSize(640, 480));
  // White ground, frame on the plot's left edge 0.14 x 640 = 89 at mid height.
  EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(89, 240), Green);
}

}  // namespace
}  // namespace spectrel
