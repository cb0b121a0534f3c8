// Rows of a dialog whose words sit around the fields differently in each language: the row is a
// translated pattern such as "From %1 To %2" ("%1 nm ～ %2 nm" in Japanese), split into labels
// and the fields in their places.
#pragma once

#include <QString>

#include <initializer_list>

class QHBoxLayout;
class QWidget;

namespace spectrel {

// Adds the pattern's words as labels and the fields at %1, %2, ... to the row; empty pieces are
// left out. A label is the buddy label of the field that follows it, else of the one before it.
void AddPatternRow(QHBoxLayout* row, const QString& pattern, std::initializer_list<QWidget*> fields);

// The text of a button or label without its mnemonic markers ("&Apply" -> "Apply").
QString WithoutMnemonic(QString text);

}  // namespace spectrel
