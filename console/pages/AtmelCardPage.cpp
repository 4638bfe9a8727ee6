// "ATMEL Card": the memory card's hex grid and its commands. The grid keeps
// the class library's coordinates: row 0 and column 0 are the fixed headers,
// cell (column c, row r) is item(r, c), and the data cells are c = 1..16,
// r = 1..RowCount-1.
#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableWidget>

#include "Main.h"
#include "gui/RadioGroup.h"

namespace {

struct AtmelCardType {
  const char* name;
  int rows;  // header row included
  int addressDigits;
  int headerColumnWidth;
};

const AtmelCardType kAtmelCardTypes[] = {
    {"AT24C01", 9, 2, 25},      {"AT24C02", 17, 2, 25},     {"AT24C04", 33, 3, 25},
    {"AT24C08", 65, 3, 25},     {"AT24C16", 129, 3, 25},    {"AT24C32", 257, 3, 25},
    {"AT24C64", 513, 4, 30},    {"AT24C128", 1025, 4, 30},  {"AT24C256", 2049, 4, 30},
    {"AT24C512", 4097, 4, 30},  {"AT24C1024", 8193, 5, 35},
};

constexpr int kCellSize = 24;  // wide enough for two hex digits in the default font

QTableWidgetItem* fixedCell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled);
  item->setBackground(QColor(0xE0, 0xE0, 0xE0));
  item->setTextAlignment(Qt::AlignCenter);
  return item;
}

QString hexText(int value, int digits) {
  return QString::number(value, 16).toUpper().rightJustified(digits, '0');
}

QLineEdit* addressField(QWidget* parent, const char* name) {
  auto* field = new QLineEdit("00", parent);
  field->setObjectName(name);
  field->setMaxLength(2);
  return field;
}

}  // namespace

void TForm1::buildAtmelCardPage(QWidget* page) {
  auto* grid = new QGridLayout(page);

  QStringList types;
  for (const AtmelCardType& type : kAtmelCardTypes) types << type.name;
  rgAtmel = new RadioGroup("[ Select Card ]", types, page);
  rgAtmel->setObjectName("rgAtmel");
  rgAtmel->setItemIndex(0);
  connect(rgAtmel, &RadioGroup::clicked, this, [this] { rgAtmelClick(); });
  grid->addWidget(rgAtmel, 0, 0, 3, 1);

  edStartWrite = addressField(page, "edStartWrite");
  edEndWrite = addressField(page, "edEndWrite");
  edStartRead = addressField(page, "edStartRead");
  edEndRead = addressField(page, "edEndRead");
  grid->addWidget(edStartWrite, 0, 1);
  grid->addWidget(edEndWrite, 0, 2);
  grid->addWidget(edStartRead, 1, 1);
  grid->addWidget(edEndRead, 1, 2);

  CheckBox9 = new QCheckBox("Entry", page);
  CheckBox9->setObjectName("CheckBox9");
  CheckBox9->setChecked(true);
  grid->addWidget(CheckBox9, 2, 1);

  sgAtmel = new QTableWidget(9, 17, page);
  sgAtmel->setObjectName("sgAtmel");
  sgAtmel->horizontalHeader()->hide();
  sgAtmel->verticalHeader()->hide();
  sgAtmel->horizontalHeader()->setDefaultSectionSize(kCellSize);
  sgAtmel->verticalHeader()->setDefaultSectionSize(kCellSize);
  sgAtmel->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgAtmel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid->addWidget(sgAtmel, 0, 3, 4, 1);

  progAtmel = new QProgressBar(page);
  progAtmel->setObjectName("progAtmel");
  progAtmel->setRange(0, 100);
  progAtmel->setValue(0);
  grid->addWidget(progAtmel, 4, 0, 1, 4);
  grid->setColumnStretch(3, 1);
}

void TForm1::rgAtmelClick() {
  progAtmel->setValue(0);
  const int index = rgAtmel->itemIndex();
  const AtmelCardType& type = kAtmelCardTypes[index >= 0 && index <= 10 ? index : 0];
  sgAtmel->setRowCount(type.rows);
  sgAtmel->setColumnWidth(0, type.headerColumnWidth + kCellSize);

  const QString defaultText(type.addressDigits, '0');
  for (QLineEdit* field : {edStartWrite, edEndWrite, edStartRead, edEndRead}) {
    field->setMaxLength(type.addressDigits);
    field->setText(defaultText);
  }

  sgAtmel->setUpdatesEnabled(false);
  sgAtmel->setItem(0, 0, fixedCell(QString()));
  for (int r = 1; r < type.rows; ++r) sgAtmel->setItem(r, 0, fixedCell(hexText((r - 1) * 16, type.addressDigits)));
  for (int c = 1; c <= 16; ++c) sgAtmel->setItem(0, c, fixedCell(hexText(c - 1, 2)));
  for (int r = 1; r < type.rows; ++r) {
    for (int c = 1; c <= 16; ++c) sgAtmel->setItem(r, c, new QTableWidgetItem(" "));
  }
  sgAtmel->setUpdatesEnabled(true);
  progAtmel->setValue(100);
}
