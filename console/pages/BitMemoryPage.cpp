// "Read Bit Memory": the raw bits of the reader's last read.
#include <QGroupBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "Main.h"

void TForm1::buildBitMemoryPage(QWidget* page) {
  auto* column = new QVBoxLayout(page);

  GroupBox18 = new QGroupBox("[ Bit Memory ]", page);
  GroupBox18->setObjectName("GroupBox18");
  auto* frame = new QVBoxLayout(GroupBox18);
  Memo4 = new QPlainTextEdit(GroupBox18);
  Memo4->setObjectName("Memo4");
  Memo4->setReadOnly(true);
  QPalette infoColours = Memo4->palette();
  infoColours.setColor(QPalette::Base, infoColours.color(QPalette::ToolTipBase));
  Memo4->setPalette(infoColours);
  frame->addWidget(Memo4);
  column->addWidget(GroupBox18);
}
