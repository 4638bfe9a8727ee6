// The text of an edit, memo or rich edit as the reader gets it: one byte per
// character (Latin-1), line breaks of a multi-line control as CR LF, the way
// the class library's controls hand out their text.
#pragma once
#include <QString>

#include <stdexcept>
#include <string>

class QPlainTextEdit;

// Raised for a character that has no Latin-1 byte; the application's
// exception dialog shows its message, so nothing is sent.
class EControlText : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// `text` with each line break (CR LF, CR, LF, line or paragraph separator) as
// CR LF. A character outside Latin-1 raises
// EControlText("'<c>' cannot be sent to the reader"), <c> in UTF-8.
std::string ControlBytes(const QString& text);
// The whole text of a memo or rich edit, as ControlBytes gives it; characters
// that the box's plain text would change (a no-break space) are kept.
std::string ControlBytes(const QPlainTextEdit* memo);
