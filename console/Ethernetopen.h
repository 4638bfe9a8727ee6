// The TCP/IP dialog: connects the Ethernet link library to the typed address
// and port. Keeps what was typed last for the next time it is shown.
#pragma once
#include <QDialog>
#include <QString>

#include <cstdint>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TEthernet : public QDialog {
  Q_OBJECT

 public:
  explicit TEthernet(QWidget* parent = nullptr);

  void Button1Click();  // "SET"
  void Button2Click();  // "Cancel"

  QLineEdit* MaskEdit1;
  QPlainTextEdit* RichEdit2;
  QPushButton* Button1;
  QPushButton* Button2;
};

extern TEthernet* Ethernet;

// The port number of the port text, read as strtol reads it: leading blanks,
// an optional sign, digits up to the first other character; 0 without digits.
// The value is a 32-bit one: a number beyond that range gives the range's end,
// as a 32-bit strtol does, rather than whatever its low bits happen to be.
int32_t PortNumberOf(const QString& text);
