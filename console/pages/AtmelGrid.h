// Editing of the ATMEL memory map: the state its key handlers share, the hex
// key filter (grid and address fields), the in-place cell editor and the
// plumbing that hands the view's and the editor's key events to the form's
// sgAtmel... handlers in the order the class library calls them: key down,
// key press, set edit text, key up. GUI thread only.
#pragma once
#include <QObject>
#include <QPointer>
#include <QStyledItemDelegate>

#include <cstdint>

class QLineEdit;
class QTableView;
class TForm1;

// Row and column (grid coordinates, headers counted) of the last cell selected.
extern int GridRow;
extern int GridCol;
// 1 while the last key pressed down in the grid was Backspace or Delete: the
// grid does not move on while the operator erases.
extern uint8_t GridEraseKey;

// Virtual key codes the handlers look at.
constexpr int VK_BACK = 8;
constexpr int VK_TAB = 9;
constexpr int VK_ESCAPE = 27;
constexpr int VK_DELETE = 46;

// 16 * v(hi) + v(lo) for the upper-case hex digits '0'-'9', 'A'-'F'.
uint8_t HexPairValue(char hi, char lo);

// The hex key filter: the key upper-cased when it is a hex digit, Backspace,
// Tab or Esc; otherwise 0 (swallowed) after a beep.
char HexKeyFilter(char key);

// How many characters an edit mask such as "ccc;0;" lets through.
int EditMaskLength(const QString& mask);

// Runs the hex key filter on a line edit's key presses (the address fields).
class HexKeyFilterObject : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// The grid's in-place editor and the key events of the view and the editor.
class AtmelGridDelegate : public QStyledItemDelegate {
 public:
  AtmelGridDelegate(TForm1* form, QTableView* view);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;

 protected:
  // Editor and view events alike.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool viewKeyPress(QKeyEvent* event);
  bool editorKeyPress(QLineEdit* editor, QKeyEvent* event);

  TForm1* form_;
  QTableView* view_;
  mutable QPointer<QLineEdit> editor_;
};
