#include "gui/DialogButtons.h"

#include <QGridLayout>
#include <QPushButton>

#include "gui/EventHandlers.h"

DialogButtons addSetCancelRow(QWidget* dialog, QGridLayout* grid, int row,
                              std::function<void()> onSet, std::function<void()> onCancel) {
  auto* set = new QPushButton("SET", dialog);
  set->setObjectName("Button1");
  set->setAutoDefault(false);
  auto* cancel = new QPushButton("Cancel", dialog);
  cancel->setObjectName("Button2");
  cancel->setAutoDefault(false);
  grid->addWidget(set, row, 0);
  grid->addWidget(cancel, row, 1);
  bindClick(set, std::move(onSet));
  bindClick(cancel, std::move(onCancel));
  return {set, cancel};
}
