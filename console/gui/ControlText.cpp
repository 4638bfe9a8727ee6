#include "gui/ControlText.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace {

bool isLineBreak(char16_t unit) {
  return unit == u'\n' || unit == u'\r' || unit == QChar::ParagraphSeparator ||
         unit == QChar::LineSeparator;
}

}  // namespace

std::string ControlBytes(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()) + 8);
  for (qsizetype at = 0; at < text.size(); ++at) {
    const QChar c = text.at(at);
    const char16_t unit = c.unicode();
    if (isLineBreak(unit)) {
      if (unit == u'\r' && at + 1 < text.size() && text.at(at + 1) == u'\n') ++at;
      bytes += "\r\n";
    } else if (unit <= 0xFF) {
      bytes += static_cast<char>(unit);
    } else {
      // A surrogate pair is one character; show it whole.
      const bool pair = c.isHighSurrogate() && at + 1 < text.size();
      throw EControlText("'" + text.mid(at, pair ? 2 : 1).toStdString() +
                         "' cannot be sent to the reader");
    }
  }
  return bytes;
}

// The raw text keeps what toPlainText() would turn into a blank (U+00A0) and
// gives each line break as a separator character.
std::string ControlBytes(const QPlainTextEdit* memo) {
  return ControlBytes(memo->document()->toRawText());
}
