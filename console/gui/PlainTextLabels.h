// Every label of a window shows its text as the characters it holds: reader
// replies and typed texts are never read as markup ("<b>V1.0</b>" stays
// "<b>V1.0</b>"). GUI thread.
#pragma once

class QWidget;

// Sets every label under `window` to plain text. Called once a window is
// built, so that no label of it is left to guess the format of its text.
void showLabelsAsPlainText(QWidget* window);
