// The "Remove" dialog: created with the other windows; no path of the console
// shows it.
#pragma once
#include <QDialog>

class QPushButton;

class TRemove : public QDialog {
  Q_OBJECT

 public:
  explicit TRemove(QWidget* parent = nullptr);

  void Button1Click();  // "OK": does nothing

  QPushButton* Button1;
};

extern TRemove* Remove;
