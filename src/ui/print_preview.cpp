#include "ui/print_preview.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>

namespace spectrel {

void RunPrintPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter*)>& paint) {
  QPrintPreviewDialog preview(&printer, parent);
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&paint](QPrinter* p) { paint(p); });
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

}  // namespace spectrel
