// What the fuzz targets share: a check that stops the run as a finding, and
// the input read as a small stream of numbers and texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace brelvik::fuzz {

// A broken promise of the code under test: libFuzzer keeps the input.
inline void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::int32_t Int32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      value = (value << 8) | Byte();
    }
    return static_cast<std::int32_t>(value);
  }
  // Up to the next byte 0 (or the end).
  std::string Text() {
    std::string text;
    while (at_ < size_ && data_[at_] != 0) {
      text.push_back(static_cast<char>(data_[at_++]));
    }
    ++at_;
    return text;
  }
  const std::uint8_t* Rest() const { return data_ + std::min(at_, size_); }
  std::size_t RestSize() const { return size_ - std::min(at_, size_); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace brelvik::fuzz
