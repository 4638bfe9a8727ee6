#include "command_table.h"

#include <array>

namespace readersim {
namespace {

constexpr std::array<const char*, 45> kPrefixes = {
    "000", "010", "020", "04",  "05",  "06",  "070", "080", "120", "160", "150", "170",
    "700", "710", "030", "031", "130", "140", "20",  "26",  "28",  "19",  "21",  "27",
    "23",  "25",  "18",  "22",  "24",  "300", "310", "320", "330", "340", "410", "500",
    "51",  "520", "530", "990", "60",  "610", "620", "630", "640"};

}  // namespace

std::string TablePrefixOf(const std::string& line) {
  for (const char* prefix : kPrefixes) {
    if (line.compare(0, std::char_traits<char>::length(prefix), prefix) == 0) return prefix;
  }
  return "";
}

char EchoOf(const std::string& line) { return line.size() >= 3 ? line[2] : '0'; }

}  // namespace readersim
