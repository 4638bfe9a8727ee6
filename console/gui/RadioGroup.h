// The class library's radio group: a framed column of exclusive radio buttons
// with an item index (-1 when none is selected) and one click notification.
#pragma once
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
  int itemIndex() const;
  void setItemIndex(int index);  // no click notification, as for code in the class library

 signals:
  void clicked();  // the operator picked an item

 private:
  QButtonGroup* buttons_;
};
