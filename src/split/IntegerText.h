// Conversion of text to a signed 32-bit integer: decimal digits with an
// optional leading "+" or "-", nothing else.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace brelvik {

// Raised with the text "'%s' is not a valid integer value".
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::int32_t StrToInt(std::string_view text);

}  // namespace brelvik
