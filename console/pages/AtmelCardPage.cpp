// "ATMEL Card": the memory card's hex grid, its address fields and its
// layout for the chosen card type. The grid keeps the class library's
// coordinates: row 0 and column 0 are the fixed headers, the data cells are
// columns 1-16 of rows 1 .. RowCount - 1 (AtmelGridModel). The commands are
// in AtmelCommands.cpp.
#include <QCheckBox>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <cmath>

#include "Main.h"
#include "gui/EventHandlers.h"
#include "gui/MessageDialogs.h"
#include "gui/RadioGroup.h"
#include "pages/AtmelCardTypes.h"
#include "pages/AtmelGrid.h"
#include "pages/AtmelGridModel.h"

namespace {

// The design's cells are 18 wide; ours are as wide as the widest byte's two
// hex digits need in the view's font (a narrower cell would show "…"), and
// the row-header widths grow in proportion.
constexpr int kCellHeight = 20;
constexpr int kDesignCellWidth = 18;

// The view draws a cell's text inside the item style's margin on either side
// and leaves one pixel of the cell to the grid line.
int cellPixels(const QTableView* view) {
  const QFontMetricsF metrics(view->font());
  qreal widest = 0;
  for (int value = 0; value < 256; ++value)
    widest = std::max(widest, metrics.horizontalAdvance(IntToHex(value, 2)));
  const int textMargin =
      view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
  return static_cast<int>(std::ceil(widest)) + 2 * textMargin + (view->showGrid() ? 1 : 0);
}

int headerPixels(const AtmelCardType& type, int cellWidth) {
  return type.headerColumnWidth * cellWidth / kDesignCellWidth;
}

QString editMask(const AtmelCardType& type) { return QString(type.addressDigits, 'c') + ";0;"; }

QLineEdit* addressField(QWidget* parent, const char* name, QObject* keyFilter) {
  auto* field = new QLineEdit("00", parent);
  field->setObjectName(name);
  field->setMaxLength(2);
  field->setAlignment(Qt::AlignRight);
  field->setFont(QFont("Arial"));
  QPalette palette = field->palette();
  palette.setColor(QPalette::Text, Qt::darkGreen);
  field->setPalette(palette);
  // Pasted text meets the same rule as typed keys.
  field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-F]*"), field));
  field->installEventFilter(keyFilter);
  return field;
}

QPushButton* pageButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

QLabel* pageLabel(QWidget* parent, const char* name, const char* caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QGroupBox* groupBox(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QGroupBox(caption, parent);
  box->setObjectName(name);
  return box;
}

QTableView* memoryMapView(QWidget* parent, AtmelGridModel* model) {
  auto* view = new QTableView(parent);
  view->setObjectName("sgAtmel");
  view->setModel(model);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view->setSelectionMode(QAbstractItemView::ContiguousSelection);
  view->setWordWrap(false);
  for (QHeaderView* header : {view->horizontalHeader(), view->verticalHeader()}) {
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignCenter);
  }
  const int cellWidth = cellPixels(view);
  view->horizontalHeader()->setMinimumSectionSize(cellWidth);
  view->horizontalHeader()->setDefaultSectionSize(cellWidth);
  view->verticalHeader()->setMinimumSectionSize(kCellHeight);
  view->verticalHeader()->setDefaultSectionSize(kCellHeight);
  // Room for the widest row header, the 16 byte columns and the scroll bar.
  const int widest = headerPixels(AtmelCardTypeAt(kAtmelCardTypeCount - 1), cellWidth);
  const int frame = 2 * view->frameWidth() + view->verticalScrollBar()->sizeHint().width();
  view->setMinimumWidth(widest + 16 * cellWidth + frame + 2);
  return view;
}

}  // namespace

void TForm1::buildAtmelCardPage(QWidget* page) {
  auto* grid = new QGridLayout(page);
  auto* keyFilter = new HexKeyFilterObject(page);

  QStringList types;
  for (int i = 0; i < kAtmelCardTypeCount; ++i) types << AtmelCardTypeAt(i).name;
  rgAtmel = new RadioGroup("[ Select Card ]", types, page);
  rgAtmel->setObjectName("rgAtmel");
  rgAtmel->setItemIndex(0);
  connect(rgAtmel, &RadioGroup::clicked, this, [this] { runHandler([this] { rgAtmelClick(); }); });

  auto* commands = new QVBoxLayout;
  commands->addWidget(rgAtmel);
  Button18 = pageButton(page, "Button18", "Entry");
  Button34 = pageButton(page, "Button34", "Eject");
  Button37 = pageButton(page, "Button37", "Power ON");
  Button38 = pageButton(page, "Button38", "Power OFF");
  Button39 = pageButton(page, "Button39", "Clear");
  for (QPushButton* button : {Button18, Button34, Button37, Button38, Button39}) {
    commands->addWidget(button);
  }
  commands->addStretch();
  grid->addLayout(commands, 0, 0);

  GroupBox19 = groupBox(page, "GroupBox19", "[ Write Data ]");
  auto* write = new QGridLayout(GroupBox19);
  Label42 = pageLabel(GroupBox19, "Label42", "Start :");
  Label43 = pageLabel(GroupBox19, "Label43", "End  :");
  edStartWrite = addressField(GroupBox19, "edStartWrite", keyFilter);
  edEndWrite = addressField(GroupBox19, "edEndWrite", keyFilter);
  btnMove = new QPushButton(style()->standardIcon(QStyle::SP_ArrowRight), QString(), GroupBox19);
  btnMove->setObjectName("btnMove");
  Button41 = pageButton(GroupBox19, "Button41", "AtmelWrite");
  CheckBox7 = new QCheckBox("Write then verify", GroupBox19);
  CheckBox7->setObjectName("CheckBox7");
  write->addWidget(Label42, 0, 0);
  write->addWidget(edStartWrite, 0, 1);
  write->addWidget(btnMove, 0, 2);
  write->addWidget(Label43, 1, 0);
  write->addWidget(edEndWrite, 1, 1);
  write->addWidget(Button41, 2, 0, 1, 3);
  write->addWidget(CheckBox7, 3, 0, 1, 3);

  GroupBox20 = groupBox(page, "GroupBox20", "[ Read Data ]");
  auto* read = new QGridLayout(GroupBox20);
  Label47 = pageLabel(GroupBox20, "Label47", "Start :");
  Label74 = pageLabel(GroupBox20, "Label74", "End  :");
  edStartRead = addressField(GroupBox20, "edStartRead", keyFilter);
  edEndRead = addressField(GroupBox20, "edEndRead", keyFilter);
  Button42 = pageButton(GroupBox20, "Button42", "AtmelRead");
  read->addWidget(Label47, 0, 0);
  read->addWidget(edStartRead, 0, 1);
  read->addWidget(Label74, 1, 0);
  read->addWidget(edEndRead, 1, 1);
  read->addWidget(Button42, 2, 0, 1, 2);

  Button45 = pageButton(page, "Button45", "Atmel loop");
  Button46 = pageButton(page, "Button46", "break");
  CheckBox9 = new QCheckBox("Entry", page);
  CheckBox9->setObjectName("CheckBox9");
  CheckBox9->setChecked(true);
  auto* ranges = new QVBoxLayout;
  for (QWidget* widget : {static_cast<QWidget*>(GroupBox19), static_cast<QWidget*>(GroupBox20),
                          static_cast<QWidget*>(Button45), static_cast<QWidget*>(Button46),
                          static_cast<QWidget*>(CheckBox9)}) {
    ranges->addWidget(widget);
  }
  ranges->addStretch();
  grid->addLayout(ranges, 0, 1);

  GroupBox21 = groupBox(page, "GroupBox21", "[ Memory map ]");
  auto* map = new QVBoxLayout(GroupBox21);
  Label75 = pageLabel(GroupBox21, "Label75", "Chose the data type you want to see : Hex    ");
  sgAtmelCells = new AtmelGridModel(this);
  sgAtmel = memoryMapView(GroupBox21, sgAtmelCells);
  new AtmelGridDelegate(this, sgAtmel);
  connect(sgAtmel->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) sgAtmelSelectCell(current.column() + 1, current.row() + 1);
          });
  map->addWidget(Label75);
  map->addWidget(sgAtmel);
  grid->addWidget(GroupBox21, 0, 2);
  grid->setColumnStretch(2, 1);

  progAtmel = new QProgressBar(page);
  progAtmel->setObjectName("progAtmel");
  progAtmel->setRange(0, 100);
  progAtmel->setValue(0);
  grid->addWidget(progAtmel, 1, 0, 1, 3);

  bindClick(btnMove, [this] { btnMoveClick(); });
  bindClick(Button39, [this] { Button39Click(); });
  bindClick(Button18, [this] { Button18Click(); });
  bindClick(Button34, [this] { Button34Click(); });
  bindClick(Button37, [this] { Button37Click(); });
  bindClick(Button38, [this] { Button38Click(); });
  bindClick(Button41, [this] { Button41Click(); });
  bindClick(Button42, [this] { Button42Click(); });
  bindClick(Button45, [this] { Button45Click(); });
  bindClick(Button46, [this] { Button46Click(); });
}

void TForm1::rgAtmelClick() {
  progAtmel->setValue(0);
  const AtmelCardType& type = AtmelCardTypeAt(rgAtmel->itemIndex());
  const QModelIndex current = sgAtmel->currentIndex();
  sgAtmelCells->layOut(type.rows, type.addressDigits);
  sgAtmel->verticalHeader()->setFixedWidth(
      headerPixels(type, sgAtmel->horizontalHeader()->defaultSectionSize()));

  const QString mask = editMask(type);
  for (QLineEdit* field : {edStartWrite, edEndWrite, edStartRead, edEndRead}) {
    field->setMaxLength(EditMaskLength(mask));
  }
  const QString defaultText(type.addressDigits, '0');
  for (QLineEdit* field : {edStartWrite, edEndWrite, edStartRead, edEndRead}) {
    field->setText(defaultText);
  }
  // A new layout keeps the selected cell where the grid still has it.
  if (current.isValid()) {
    sgAtmel->setCurrentIndex(sgAtmelCells->index(
        std::min(current.row(), sgAtmelCells->rowCount() - 1), current.column()));
  }
  progAtmel->setValue(100);
}

QString TForm1::sgAtmelGetEditMask(int, int) const { return "cc;0;"; }

bool TForm1::atmelGridEditing() const {
  return sgAtmel->editTriggers() != QAbstractItemView::NoEditTriggers;
}

void TForm1::sgAtmelSelectCell(int col, int row) {
  GridRow = row;
  GridCol = col;
}

void TForm1::sgAtmelKeyDown(int key) {
  GridEraseKey = (key == VK_BACK || key == VK_DELETE) ? 1 : 0;
  if (key != VK_TAB && key != VK_ESCAPE) return;
  // A cell left with fewer than two digits is padded: "5" becomes "50", an
  // empty (or blank) cell "00".
  QString text = sgAtmelCells->cell(GridCol, GridRow).trimmed();
  if (text.size() >= 2) return;
  sgAtmelCells->setCell(GridCol, GridRow, text.isEmpty() ? QString("00") : text + '0');
}

void TForm1::sgAtmelKeyPress(char& key) { key = HexKeyFilter(key); }

void TForm1::sgAtmelSetEditText(int col, int row, const QString& value) {
  sgAtmelCells->setCell(col, row, value);
  if (GridEraseKey != 0 || value.size() != 2) return;
  if (col == 16 && row == sgAtmelCells->gridRows() - 1) return;
  const int nextRow = col == 16 ? row + 1 : row;
  const int nextCol = col == 16 ? 1 : col + 1;
  sgAtmel->setCurrentIndex(sgAtmelCells->index(nextRow - 1, nextCol - 1));
}

void TForm1::sgAtmelKeyUp(int key) {
  if (key != VK_BACK) return;
  const QModelIndex current = sgAtmel->currentIndex();
  if (!current.isValid()) return;
  const int x = current.column() + 1;
  const int y = current.row() + 1;
  if (!sgAtmelCells->cell(x, y).isEmpty()) return;
  if (x <= 1 && y <= 1) return;
  const int backRow = x == 1 ? y - 1 : y;
  const int backCol = x == 1 ? 16 : x - 1;
  sgAtmel->setCurrentIndex(sgAtmelCells->index(backRow - 1, backCol - 1));
}

void TForm1::btnMoveClick() {
  const AtmelCardType& type = AtmelCardTypeAt(rgAtmel->itemIndex());
  const QString startText = edStartWrite->text();
  const QString endText = edEndWrite->text();
  const int start = startText.toInt(nullptr, 16);
  const int end = endText.toInt(nullptr, 16);
  // An address past the card's end has no cell to move to.
  if (startText.size() < type.addressDigits || endText.size() < type.addressDigits ||
      end >= type.bytes()) {
    ShowMessage("ADDRESS ERROR - Check the Start, End Address");
    return;
  }
  if (start > end) {
    ShowMessage("ADDRESS ERROR - Start address is larger then End address");
    return;
  }
  const QModelIndex cell = sgAtmelCells->index(start / 16, start % 16);
  sgAtmel->setCurrentIndex(cell);
  sgAtmel->scrollTo(cell);
  sgAtmel->setFocus();
  sgAtmel->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  edStartRead->setText(startText);
  edEndRead->setText(endText);
}

void TForm1::Button39Click() { sgAtmelCells->clear(); }

bool TForm1::CollectGridHex(std::string& text, int start, int end) const {
  return sgAtmelCells->collectHex(text, start, end);
}
