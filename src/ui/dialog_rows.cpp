#include "ui/dialog_rows.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>

#include <vector>

namespace spectrel {

void AddPatternRow(QHBoxLayout* row, const QString& pattern, std::initializer_list<QWidget*> fields) {
  const std::vector<QWidget*> field(fields);
  static const QRegularExpression marker(QStringLiteral("%(\\d)"));
  QWidget* previousField = nullptr;
  QLabel* pending = nullptr;   // a label waiting for the field after it
  int from = 0;
  auto addWords = [&](const QString& words) {
    const QString text = words.trimmed();
    if (text.isEmpty()) return;
    auto* label = new QLabel(text, row->parentWidget());
    row->addWidget(label);
    if (previousField != nullptr) label->setBuddy(previousField);
    pending = label;
  };
  for (auto it = marker.globalMatch(pattern); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    addWords(pattern.mid(from, match.capturedStart() - from));
    from = static_cast<int>(match.capturedEnd());
    const int index = match.captured(1).toInt() - 1;
    if (index < 0 || index >= static_cast<int>(field.size())) continue;
    QWidget* widget = field[static_cast<size_t>(index)];
    row->addWidget(widget);
    if (pending != nullptr) pending->setBuddy(widget);
    pending = nullptr;
    previousField = widget;
  }
  addWords(pattern.mid(from));
  row->addStretch(1);
}

QString WithoutMnemonic(QString text) {
  // "(&A)" style markers of Japanese texts stay visible; only the '&' itself goes.
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

}  // namespace spectrel
