// "IC Card Test": IC card power, direct command and loop.
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>

#include "Main.h"

void TForm1::buildIcCardPage(QWidget* page) {
  auto* grid = new QGridLayout(page);

  grid->addWidget(new QLabel("Response Data (Hex)", page), 0, 0);
  Memo10 = new QPlainTextEdit(page);
  Memo10->setObjectName("Memo10");
  Memo10->setReadOnly(true);
  Memo10->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid->addWidget(Memo10, 1, 0);

  grid->addWidget(new QLabel("Response Data (Ascii)", page), 2, 0);
  Memo9 = new QPlainTextEdit(page);
  Memo9->setObjectName("Memo9");
  Memo9->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid->addWidget(Memo9, 3, 0);
}
