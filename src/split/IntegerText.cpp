#include "split/IntegerText.h"

#include <charconv>

namespace brelvik {

std::int32_t StrToInt(std::string_view text) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') {
    digits.remove_prefix(1);
  }
  // from_chars takes a "-" itself but no "+", so a "+-5" must not slip through.
  const bool plusSign = digits.size() != text.size();
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  const bool valid = error == std::errc{} && end == digits.data() + digits.size() &&
                     !(plusSign && digits.front() == '-');
  if (!valid) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

}  // namespace brelvik
