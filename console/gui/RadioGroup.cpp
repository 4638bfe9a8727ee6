#include "gui/RadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)) {
  auto* column = new QVBoxLayout(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* item = new QRadioButton(items[i], this);
    buttons_->addButton(item, i);
    column->addWidget(item);
  }
  column->addStretch();
  connect(buttons_, &QButtonGroup::idClicked, this, [this](int) { emit clicked(); });
}

int RadioGroup::itemIndex() const { return buttons_->checkedId(); }

void RadioGroup::setItemIndex(int index) {
  if (QAbstractButton* item = buttons_->button(index)) item->setChecked(true);
}
