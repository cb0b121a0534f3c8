// Renders the two settings dialogs in English and Japanese to PNG files for inspection, and
// reports every text control narrower than its text needs.
#pragma once

#include <QStringList>

#include <string>

class QWidget;

namespace spectrel {

// Labels, buttons and boxes of a shown dialog whose width or height is below what their text
// needs, as "objectName/text" lines; empty when nothing is cut off.
QStringList CutOffControls(const QWidget& dialog);

// Writes conf_dialog_en.png, conf_dialog_ja.png, graph_dialog_en.png and graph_dialog_ja.png
// into the folder. Returns the process exit code: 0 when every file was written uncut.
int RenderDialogs(const std::string& outputFolder);

}  // namespace spectrel
