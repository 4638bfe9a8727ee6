#include "gui/PlainTextLabels.h"

#include <QLabel>

void showLabelsAsPlainText(QWidget* window) {
  for (QLabel* label : window->findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
}
