#include "pages/TrackTestLayout.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

QCheckBox* trackBox(QWidget* parent, const char* name, const char* caption, bool checked) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

QLineEdit* countEdit(QWidget* page, NamedControl<QLineEdit> edit, const char* text) {
  *edit.control = new QLineEdit(text, page);
  (*edit.control)->setObjectName(edit.name);
  (*edit.control)->setMaxLength(4);
  return *edit.control;
}

}  // namespace

QLabel* namedLabel(QWidget* parent, const char* name, const char* caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  return label;
}

QGridLayout* countFields(QWidget* page, NamedControl<QLabel> setLabel,
                         NamedControl<QLineEdit> setEdit, NamedControl<QLabel> doLabel,
                         NamedControl<QLineEdit> doEdit) {
  auto* counts = new QGridLayout;
  *setLabel.control = namedLabel(page, setLabel.name, "Set Count :");
  countEdit(page, setEdit, "1");
  *doLabel.control = namedLabel(page, doLabel.name, "Do Count :");
  countEdit(page, doEdit, "0")->setReadOnly(true);
  counts->addWidget(*setLabel.control, 0, 0);
  counts->addWidget(*setEdit.control, 0, 1);
  counts->addWidget(*doLabel.control, 1, 0);
  counts->addWidget(*doEdit.control, 1, 1);
  return counts;
}

QGroupBox* trackSelectGroup(QWidget* page, const char* groupName,
                            const NamedControl<QCheckBox> (&boxes)[4]) {
  auto* group = new QGroupBox("[ Track Select ]", page);
  group->setObjectName(groupName);
  auto* tracks = new QVBoxLayout(group);
  const char* const captions[4] = {"Track #1", "Track #2", "Track #3", "TimeLox"};
  for (int i = 0; i < 4; ++i) {
    *boxes[i].control = trackBox(group, boxes[i].name, captions[i], i < 3);
  }
  for (const NamedControl<QCheckBox>& box : boxes) tracks->addWidget(*box.control);
  return group;
}

QGroupBox* errorStatusGroup(QWidget* page, const char* groupName, QLabel** heading,
                            const NamedControl<QLabel> (&countLabels)[4],
                            const NamedControl<QLabel> (&rateLabels)[4]) {
  auto* group = new QGroupBox("[ Error Status ]", page);
  group->setObjectName(groupName);
  auto* status = new QGridLayout(group);
  *heading = new QLabel("* Count / Rate", group);
  status->addWidget(*heading, 0, 0, 1, 4);
  const char* const rowCaptions[4] = {"Track #1 :", "Track #2 :", "Track #3 :", "TimeLox :"};
  for (int row = 0; row < 4; ++row) {
    QLabel* count = namedLabel(group, countLabels[row].name, "0");
    QLabel* rate = namedLabel(group, rateLabels[row].name, "0.00 %");
    // Room for the widest rate from the start, the rates lined up on their
    // right: the column neither moves nor breaks its alignment at 100 %.
    rate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rate->setMinimumWidth(rate->fontMetrics().horizontalAdvance("100.00 %"));
    *countLabels[row].control = count;
    *rateLabels[row].control = rate;
    status->addWidget(new QLabel(rowCaptions[row], group), row + 1, 0);
    status->addWidget(count, row + 1, 1);
    status->addWidget(new QLabel("/", group), row + 1, 2);
    status->addWidget(rate, row + 1, 3);
  }
  return group;
}

QVBoxLayout* trackTextColumn(QWidget* page, const TrackTextBox (&boxes)[4]) {
  for (const TrackTextBox& box : boxes) {
    auto* group = new QGroupBox(box.caption, page);
    group->setObjectName(box.group.name);
    *box.group.control = group;
    auto* frame = new QVBoxLayout(group);
    auto* text = new QPlainTextEdit(group);
    text->setObjectName(box.text.name);
    *box.text.control = text;
    frame->addWidget(text);
  }
  auto* column = new QVBoxLayout;
  for (const TrackTextBox& box : boxes) column->addWidget(*box.group.control);
  return column;
}
