#include "Unit2.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/EventHandlers.h"

TRemove* Remove = nullptr;

TRemove::TRemove(QWidget* parent) : QDialog(parent) {
  setObjectName("Remove");
  setWindowTitle("Remove");
  auto* column = new QVBoxLayout(this);
  auto* label = new QLabel("ReMove The Card", this);
  QFont large = label->font();
  large.setPointSize(large.pointSize() * 2);
  large.setBold(true);
  label->setFont(large);
  label->setAlignment(Qt::AlignCenter);
  column->addWidget(label);
  Button1 = new QPushButton("OK", this);
  Button1->setObjectName("Button1");
  column->addWidget(Button1, 0, Qt::AlignCenter);
  bindClick(Button1, [this] { Button1Click(); });
}

void TRemove::Button1Click() {}
