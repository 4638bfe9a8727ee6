// "ATMEL Card" memory map: its layout per card type, the hex key filter, the
// in-place editing moves, the move button's checks, "Clear" and the helpers
// the commands use.
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "Main.h"
#include "gui/RadioGroup.h"
#include "pages/AtmelGrid.h"
#include "pages/AtmelGridModel.h"
#include "pages_fixture.h"

namespace {

using std::string;

class AtmelGrid : public PagesTest {
 protected:
  void SetUp() override {
    PagesTest::SetUp();
    openLink(Link::Ethernet);  // the pages take input once a link is open
    Form1->PageControl1->setCurrentWidget(Form1->TabSheet5);
    settle();
  }
  static void chooseType(int index) {
    Form1->rgAtmel->setItemIndex(index);
    Form1->rgAtmelClick();
  }
  static QString cell(int col, int row) { return Form1->sgAtmelCells->cell(col, row); }
  static void select(int col, int row) {
    Form1->sgAtmel->setCurrentIndex(Form1->sgAtmelCells->index(row - 1, col - 1));
  }
  static std::pair<int, int> cursor() {
    const QModelIndex current = Form1->sgAtmel->currentIndex();
    return {current.column() + 1, current.row() + 1};
  }
  // Keys go where the operator's would: to the open cell editor, else the grid.
  static void press(Qt::Key key, char text = 0) {
    QWidget* editor = Form1->sgAtmel->indexWidget(Form1->sgAtmel->currentIndex());
    QWidget* target = editor != nullptr ? editor : Form1->sgAtmel;
    const QString typed = text != 0 ? QString(QChar(text)) : QString();
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, typed);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, typed);
    QApplication::sendEvent(target, &up);
    QApplication::processEvents();
  }
  static void type(const string& keys) {
    for (char c : keys) press(static_cast<Qt::Key>(QChar(c).toUpper().unicode()), c);
  }
  static void move(const char* start, const char* end) {
    Form1->edStartWrite->setText(start);
    Form1->edEndWrite->setText(end);
    Form1->btnMove->click();
  }
};

struct Layout {
  int type;
  int rows;
  const char* lastRowHeader;
  const char* fieldText;
};

class AtmelGridLayout : public AtmelGrid, public testing::WithParamInterface<Layout> {};

TEST_P(AtmelGridLayout, RowsHeadersBlankCellsAndAddressFieldsFollowTheType) {
  const Layout& layout = GetParam();
  chooseType(7);  // another layout first, with a typed cell that must go
  Form1->sgAtmelCells->setCell(1, 1, "AB");
  Form1->edStartRead->setText("0010");
  Form1->rgAtmel->setItemIndex(layout.type);
  Form1->FormActivate();  // lays the grid out as a click on the type does

  EXPECT_EQ(Form1->sgAtmelCells->gridRows(), layout.rows);
  EXPECT_EQ(Form1->sgAtmel->model()->rowCount(), layout.rows - 1);
  EXPECT_EQ(cell(0, 0), "");
  EXPECT_EQ(cell(0, 1), QString(QByteArray(layout.fieldText)));
  EXPECT_EQ(cell(0, 2),
            QString("10").rightJustified(static_cast<int>(strlen(layout.fieldText)), '0'));
  EXPECT_EQ(cell(0, layout.rows - 1), layout.lastRowHeader);
  EXPECT_EQ(cell(1, 0), "00");
  EXPECT_EQ(cell(11, 0), "0A");
  EXPECT_EQ(cell(16, 0), "0F");
  for (int row : {1, layout.rows / 2, layout.rows - 1}) {
    for (int c = 1; c <= 16; ++c) ASSERT_EQ(cell(c, row), " ") << c << "," << row;
  }
  // The row header holds its widest text.
  QHeaderView* rowHeader = Form1->sgAtmel->verticalHeader();
  EXPECT_GT(rowHeader->width(), rowHeader->fontMetrics().horizontalAdvance(layout.lastRowHeader));
  for (QLineEdit* field :
       {Form1->edStartWrite, Form1->edEndWrite, Form1->edStartRead, Form1->edEndRead}) {
    EXPECT_EQ(field->text(), layout.fieldText);
    EXPECT_EQ(field->maxLength(), static_cast<int>(strlen(layout.fieldText)));
  }
  EXPECT_EQ(Form1->progAtmel->value(), 100);
  QTableView* view = Form1->sgAtmel;  // each byte shows whole, not elided, within the margins
  const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
  for (int a = 0; a < 256; ++a) {  // byte a shows in column a % 16 of its row
    const int room = view->visualRect(Form1->sgAtmelCells->index(0, a % 16)).width() - margins;
    ASSERT_EQ(view->fontMetrics().elidedText(IntToHex(a, 2), Qt::ElideRight, room), IntToHex(a, 2));
  }
  // The 16 byte columns and the row header fit the window's default size.
  settle();
  EXPECT_EQ(Form1->sgAtmel->horizontalScrollBar()->maximum(), 0);
}

INSTANTIATE_TEST_SUITE_P(Types, AtmelGridLayout,
                         testing::Values(Layout{0, 9, "70", "00"}, Layout{6, 513, "1FF0", "0000"},
                                         Layout{10, 8193, "1FFF0", "00000"}));

TEST_F(AtmelGrid, AddressFieldsTakeHexKeysOnlyInUpperCase) {
  chooseType(4);
  Form1->edStartWrite->clear();
  QTest::keyClicks(Form1->edStartWrite, "a g-1f");
  EXPECT_EQ(Form1->edStartWrite->text(), "A1F");
  Form1->edEndRead->clear();
  QTest::keyClicks(Form1->edEndRead, "7ff0");
  EXPECT_EQ(Form1->edEndRead->text(), "7FF");
}

struct MoveCase {
  int type;
  const char* start;
  const char* end;
  const char* message;  // "" for a move that is done
  int col;
  int row;
};

class AtmelGridMove : public AtmelGrid, public testing::WithParamInterface<MoveCase> {};

TEST_P(AtmelGridMove, MoveChecksTheWriteRange) {
  const MoveCase& move = GetParam();
  chooseType(move.type);
  select(5, 3);
  const QString readStart = Form1->edStartRead->text();
  Form1->edStartWrite->setText(move.start);
  Form1->edEndWrite->setText(move.end);
  Form1->btnMove->click();
  if (*move.message == '\0') {
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(cursor(), std::make_pair(move.col, move.row));
    EXPECT_EQ(std::make_pair(GridCol, GridRow), std::make_pair(move.col, move.row));
    EXPECT_EQ(Form1->edStartRead->text(), move.start);
    EXPECT_EQ(Form1->edEndRead->text(), move.end);
    EXPECT_TRUE(Form1->atmelGridEditing());
  } else {
    EXPECT_EQ(messages(), std::vector<string>{move.message});
    EXPECT_EQ(cursor(), std::make_pair(5, 3));
    EXPECT_EQ(Form1->edStartRead->text(), readStart);
    EXPECT_FALSE(Form1->atmelGridEditing());
  }
}

const char kCheck[] = "ADDRESS ERROR - Check the Start, End Address";
const char kAbove[] = "ADDRESS ERROR - Start address is larger then End address";

INSTANTIATE_TEST_SUITE_P(
    Ranges, AtmelGridMove,
    testing::Values(MoveCase{1, "10", "1F", "", 1, 2}, MoveCase{1, "1A", "1F", "", 11, 2},
                    MoveCase{1, "20", "1F", kAbove, 0, 0}, MoveCase{1, "1", "1F", kCheck, 0, 0},
                    MoveCase{4, "7F0", "7F", kCheck, 0, 0},
                    MoveCase{10, "1FFF0", "1FFFF", "", 1, 8192},
                    MoveCase{0, "70", "80", kCheck, 0, 0}));  // past the card's end

TEST_F(AtmelGrid, TypingMovesOnAfterTwoCharactersAndWrapsToTheNextRow) {
  chooseType(1);
  select(15, 1);
  type("12");  // no typing before the first move
  EXPECT_EQ(cell(15, 1), " ");
  move("0E", "FF");
  type("a5");
  EXPECT_EQ(cell(15, 1), "A5");
  EXPECT_EQ(cursor(), std::make_pair(16, 1));
  type("0f3");
  EXPECT_EQ(cell(16, 1), "0F");
  EXPECT_EQ(cell(1, 2), "3");
  EXPECT_EQ(cursor(), std::make_pair(1, 2));
  type("g");  // swallowed
  EXPECT_EQ(cell(1, 2), "3");
  select(16, 16);
  type("ee");
  EXPECT_EQ(cell(16, 16), "EE");
  EXPECT_EQ(cursor(), std::make_pair(16, 16));  // the last cell keeps the cursor
}

TEST_F(AtmelGrid, BackspaceEmptyingACellStepsBack) {
  chooseType(1);
  move("00", "FF");
  struct Step {
    int col, row, backCol, backRow;
  };
  for (const Step& step : {Step{5, 3, 4, 3}, Step{1, 3, 16, 2}, Step{1, 1, 1, 1}}) {
    select(step.col, step.row);
    type("7");
    press(Qt::Key_Backspace);
    EXPECT_EQ(cell(step.col, step.row), "") << step.col << "," << step.row;
    EXPECT_EQ(cursor(), std::make_pair(step.backCol, step.backRow)) << step.col << "," << step.row;
  }
  // Delete empties a cell without stepping back.
  select(8, 4);
  type("1");
  press(Qt::Key_Home);
  press(Qt::Key_Delete);
  EXPECT_EQ(cell(8, 4), "");
  EXPECT_EQ(cursor(), std::make_pair(8, 4));
}

TEST_F(AtmelGrid, TabAndEscPadTheCell) {
  chooseType(1);
  move("00", "FF");
  select(2, 1);
  type("5");
  press(Qt::Key_Tab);
  EXPECT_EQ(cell(2, 1), "50");
  EXPECT_EQ(cursor(), std::make_pair(3, 1));
  press(Qt::Key_Tab);  // a blank cell is an empty one
  EXPECT_EQ(cell(3, 1), "00");
  select(6, 2);
  type("c");
  press(Qt::Key_Escape);
  EXPECT_EQ(cell(6, 2), "C0");
}

TEST_F(AtmelGrid, ClearBlanksEveryDataCellOnly) {
  chooseType(3);
  move("010", "3FF");
  Form1->sgAtmelCells->setBytes(0, std::vector<uint8_t>(1024, 0x5A));
  Form1->Button39->click();
  for (int row = 1; row <= 64; ++row) {
    for (int c = 1; c <= 16; ++c) ASSERT_EQ(cell(c, row), " ");
  }
  EXPECT_EQ(cell(0, 64), "3F0");
  EXPECT_EQ(Form1->edStartWrite->text(), "010");
  EXPECT_EQ(cursor(), std::make_pair(1, 2));
  EXPECT_TRUE(Form1->atmelGridEditing());
}

TEST_F(AtmelGrid, CollectGridHexStopsAtAnIncompleteCellAndHexPairValue) {
  chooseType(1);
  const char* texts[] = {"AA", "BB", "CC", "DD"};
  for (int a = 0x0E; a <= 0x11; ++a)
    Form1->sgAtmelCells->setCell(a % 16 + 1, a / 16 + 1, texts[a - 0x0E]);
  string text;
  EXPECT_TRUE(Form1->CollectGridHex(text, 0x0E, 0x11));
  EXPECT_EQ(text, "AABBCCDD");
  for (const char* gap : {" ", "C", "", " C", "G1"}) {
    Form1->sgAtmelCells->setCell(1, 2, gap);
    text.clear();
    EXPECT_FALSE(Form1->CollectGridHex(text, 0x0E, 0x11)) << '"' << gap << '"';
    EXPECT_EQ(text, "AABB");
  }
  EXPECT_EQ(HexPairValue('F', 'F'), 255);
  EXPECT_EQ(HexPairValue('0', 'A'), 10);
  EXPECT_EQ(HexPairValue('A', '0'), 160);
}

}  // namespace
