// The print preview of a picture, opened at the page's full width so lines and text can be read.
#pragma once

#include <functional>

class QPrinter;
class QWidget;

namespace spectrel {

// Shows the modal preview; paint draws the page on the printer it is given.
void RunPrintPreview(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter*)>& paint);

}  // namespace spectrel
