// Builds text in a fixed buffer without formatting functions or heap use,
// for code that may run with almost no stack left (the crash filter).
#pragma once
#include <cstddef>
#include <cstdint>

class TextBuilder {
 public:
  enum LineEnds { kAsWritten, kCrLf };

  template <size_t N>
  explicit TextBuilder(char (&buffer)[N], LineEnds lineEnds = kAsWritten)
      : buffer_(buffer), capacity_(N), lineEnds_(lineEnds) {
    buffer_[0] = '\0';
  }

  // Text beyond the buffer is dropped; the result stays terminated. A line
  // feed that already follows a CR gets no second one, so that text with
  // CR LF line ends can be appended as well.
  TextBuilder& Append(const char* text) {
    for (; *text != '\0'; ++text) {
      if (*text == '\n' && lineEnds_ == kCrLf && (length_ == 0 || buffer_[length_ - 1] != '\r')) Put('\r');
      Put(*text);
    }
    return *this;
  }

  // Uppercase hex, no prefix, no leading zeros.
  TextBuilder& AppendHex(uint32_t value) {
    char digits[8];
    int count = 0;
    do {
      digits[count++] = "0123456789ABCDEF"[value & 0xF];
      value >>= 4;
    } while (value != 0);
    while (count > 0) Put(digits[--count]);
    return *this;
  }

  // At least minDigits digits, zeros in front.
  TextBuilder& AppendDecimal(uint32_t value, int minDigits = 1) {
    char digits[10];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0 || (count < minDigits && count < 10));
    while (count > 0) Put(digits[--count]);
    return *this;
  }

  // Appends one character as it is, line feeds included.
  TextBuilder& AppendChar(char c) {
    Put(c);
    return *this;
  }

  size_t Length() const { return length_; }

 private:
  void Put(char c) {
    if (length_ + 1 >= capacity_) return;
    buffer_[length_++] = c;
    buffer_[length_] = '\0';
  }

  char* buffer_;
  size_t capacity_;
  size_t length_ = 0;
  LineEnds lineEnds_;
};
