// Controls the read test and write test pages lay out alike: the count fields,
// the track choice, the error status table and the column of track texts. Each
// control gets the object name its page gives it.
#pragma once

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QVBoxLayout;
class QWidget;

// A control a layout function creates: where the page keeps it, and its
// object name.
template <class Widget>
struct NamedControl {
  Widget** control;
  const char* name;
};

QLabel* namedLabel(QWidget* parent, const char* name, const char* caption);

// "Set Count :" with its box (starting at "1") over "Do Count :" with its
// read-only box (starting at "0"); both boxes take four characters.
QGridLayout* countFields(QWidget* page, NamedControl<QLabel> setLabel,
                         NamedControl<QLineEdit> setEdit, NamedControl<QLabel> doLabel,
                         NamedControl<QLineEdit> doEdit);

// "[ Track Select ]": "Track #1" to "Track #3", ticked, and "TimeLox", not.
QGroupBox* trackSelectGroup(QWidget* page, const char* groupName,
                            const NamedControl<QCheckBox> (&boxes)[4]);

// "[ Error Status ]": the "* Count / Rate" heading (left in `heading`, without
// a name), then per track its caption, its error count "0", "/" and its rate
// "0.00 %" (right-aligned in a column as wide as "100.00 %").
QGroupBox* errorStatusGroup(QWidget* page, const char* groupName, QLabel** heading,
                            const NamedControl<QLabel> (&countLabels)[4],
                            const NamedControl<QLabel> (&rateLabels)[4]);

// One track's text box inside its captioned group.
struct TrackTextBox {
  NamedControl<QGroupBox> group;
  const char* caption;
  NamedControl<QPlainTextEdit> text;
};

// The four track boxes, one under the other.
QVBoxLayout* trackTextColumn(QWidget* page, const TrackTextBox (&boxes)[4]);
