// The class library's string-to-integer conversion, used by the pages' count
// boxes. Text that is not a decimal integer raises EConvertError, whose message
// the application's exception dialog shows.
#pragma once
#include <stdexcept>
#include <string>

class EConvertError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Leading blanks, an optional sign and decimal digits that fit 32 bits; nothing
// may follow. Anything else raises EConvertError("'<text>' is not a valid
// integer value").
int StrToInt(const std::string& text);
