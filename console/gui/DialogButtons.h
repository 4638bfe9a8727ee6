// The "SET" / "Cancel" row that both link dialogs end with.
#pragma once
#include <functional>

class QGridLayout;
class QPushButton;
class QWidget;

struct DialogButtons {
  QPushButton* set;
  QPushButton* cancel;
};

// Adds Button1 "SET" and Button2 "Cancel" to `row` of `grid` and binds their
// handlers; neither is a default button, so Enter in an edit does not press one.
DialogButtons addSetCancelRow(QWidget* dialog, QGridLayout* grid, int row,
                              std::function<void()> onSet, std::function<void()> onCancel);
