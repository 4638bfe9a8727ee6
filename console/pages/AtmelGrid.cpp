#include "pages/AtmelGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

#include "Main.h"
#include "pages/AtmelGridModel.h"

int GridRow = 0;
int GridCol = 0;
uint8_t GridEraseKey = 0;

namespace {

int hexValue(char c) { return c >= 'A' ? c - 'A' + 10 : c - '0'; }

bool isHexKey(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

int virtualKey(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Backspace:
      return VK_BACK;
    case Qt::Key_Tab:
      return VK_TAB;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Delete:
      return VK_DELETE;
    default:
      return 0;
  }
}

// The character a key press types, 0 for keys that type nothing (arrows,
// function keys, Delete) or that the filter lets through as keys (Backspace,
// Tab, Esc).
char typedChar(const QKeyEvent* event) {
  if (virtualKey(event) != 0) return 0;
  const QString text = event->text();
  if (text.size() != 1) return 0;
  const char16_t c = text.front().unicode();
  return c < 0x80 ? static_cast<char>(c) : '\x7F';  // anything else is no hex key
}

}  // namespace

uint8_t HexPairValue(char hi, char lo) {
  return static_cast<uint8_t>(hexValue(hi) * 16 + hexValue(lo));
}

char HexKeyFilter(char key) {
  if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 'a' + 'A');
  if (key == VK_BACK || key == VK_TAB || key == VK_ESCAPE || isHexKey(key)) return key;
  QApplication::beep();
  return 0;
}

int EditMaskLength(const QString& mask) {
  const int end = mask.indexOf(';');
  return end < 0 ? mask.size() : end;
}

bool HexKeyFilterObject::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    const char typed = typedChar(static_cast<QKeyEvent*>(event));
    if (edit && typed != 0) {
      const char key = HexKeyFilter(typed);
      if (key != typed) {
        if (key != 0) edit->insert(QString(QChar(key)));
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

AtmelGridDelegate::AtmelGridDelegate(TForm1* form, QTableView* view)
    : QStyledItemDelegate(view), form_(form), view_(view) {
  view->setItemDelegate(this);
  view->installEventFilter(this);
}

QWidget* AtmelGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const {
  const int col = index.column() + 1;
  const int row = index.row() + 1;
  auto* editor = new QLineEdit(parent);
  editor->setFrame(false);
  editor->setAlignment(Qt::AlignCenter);
  editor->setMaxLength(EditMaskLength(form_->sgAtmelGetEditMask(col, row)));
  TForm1* form = form_;
  connect(editor, &QLineEdit::textEdited, editor,
          [form, col, row](const QString& text) { form->sgAtmelSetEditText(col, row, text); });
  editor_ = editor;
  return editor;
}

bool AtmelGridDelegate::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) {
    return watched == view_ ? false : QStyledItemDelegate::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  if (type == QEvent::KeyRelease) {
    form_->sgAtmelKeyUp(virtualKey(key));
    return watched == view_ ? false : QStyledItemDelegate::eventFilter(watched, event);
  }
  if (watched == view_) return viewKeyPress(key);
  auto* editor = qobject_cast<QLineEdit*>(watched);
  if (editor && editorKeyPress(editor, key)) return true;
  return QStyledItemDelegate::eventFilter(watched, event);
}

// A key on the selected cell: a hex digit starts the cell's editor with it
// (once editing is on); Tab moves on as the view does.
bool AtmelGridDelegate::viewKeyPress(QKeyEvent* event) {
  form_->sgAtmelKeyDown(virtualKey(event));
  char key = typedChar(event);
  if (key == 0) return false;
  form_->sgAtmelKeyPress(key);
  if (key == 0) return true;
  if (!form_->atmelGridEditing() || !view_->currentIndex().isValid()) return true;
  view_->edit(view_->currentIndex());
  if (editor_ == nullptr) return true;
  editor_->selectAll();
  editor_->insert(QString(QChar(key)));
  return true;
}

bool AtmelGridDelegate::editorKeyPress(QLineEdit* editor, QKeyEvent* event) {
  const int vk = virtualKey(event);
  form_->sgAtmelKeyDown(vk);
  if (vk == VK_TAB || vk == VK_ESCAPE) {
    // The padded text is what the editor hands back to the cell as it closes.
    editor->setText(form_->sgAtmelCells->cell(GridCol, GridRow));
  }
  const char typed = typedChar(event);
  if (typed == 0) return false;
  char key = typed;
  form_->sgAtmelKeyPress(key);
  if (key == typed) return false;
  if (key != 0) editor->insert(QString(QChar(key)));
  return true;
}
