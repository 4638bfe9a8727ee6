// "Read Test": counted reads per track.
#include <QGridLayout>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "Main.h"

namespace {

QPlainTextEdit* trackMemo(QWidget* page, QGroupBox** group, const char* groupName,
                          const char* caption, const char* memoName) {
  *group = new QGroupBox(caption, page);
  (*group)->setObjectName(groupName);
  auto* frame = new QVBoxLayout(*group);
  auto* memo = new QPlainTextEdit(*group);
  memo->setObjectName(memoName);
  memo->setReadOnly(true);
  frame->addWidget(memo);
  return memo;
}

}  // namespace

void TForm1::buildReadTestPage(QWidget* page) {
  auto* grid = new QGridLayout(page);

  RadioButton4 = new QRadioButton("Move Back ( * Auto Test )", page);
  RadioButton4->setObjectName("RadioButton4");
  RadioButton4->setChecked(true);
  grid->addWidget(RadioButton4, 0, 0);

  Memo1 = trackMemo(page, &GroupBox2, "GroupBox2", "[  T r a c k  # 1  ]", "Memo1");
  Memo2 = trackMemo(page, &GroupBox3, "GroupBox3", "[  T r a c k  # 2  ]", "Memo2");
  Memo3 = trackMemo(page, &GroupBox4, "GroupBox4", "[  T r a c k  # 3  ]", "Memo3");
  Memo8 = trackMemo(page, &GroupBox23, "GroupBox23", "[  T r a c k  # 3 TimeLox  ]", "Memo8");
  grid->addWidget(GroupBox2, 1, 0);
  grid->addWidget(GroupBox3, 2, 0);
  grid->addWidget(GroupBox4, 3, 0);
  grid->addWidget(GroupBox23, 4, 0);
}
