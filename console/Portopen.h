// The serial-port dialog: picks COM1-COM8 and a baud rate, opens the port and
// probes the reader with an Eject Front command. Opens on COM1 and 9600 every
// time it becomes active.
#pragma once
#include <QDialog>

#include "gui/ActiveForm.h"

class QComboBox;
class QPushButton;

class TPortForm : public QDialog, public ActivatableForm {
  Q_OBJECT

 public:
  explicit TPortForm(QWidget* parent = nullptr);
  ~TPortForm() override;

  void FormActivate() override;
  void Button1Click();  // "SET"
  void Button2Click();  // "Cancel"

  QComboBox* COM;
  QComboBox* BAUD;
  QPushButton* Button1;
  QPushButton* Button2;
};

extern TPortForm* PortForm;
