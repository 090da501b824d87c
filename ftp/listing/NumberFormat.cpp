#include "ftp/listing/NumberFormat.h"

namespace kobix::ftp {

std::string_view DecimalText(int64_t AValue, char (&ABuffer)[24]) {
  char* end = ABuffer + sizeof ABuffer;
  char* start = end;
  // Work on the magnitude as unsigned, so that the most negative value has one too.
  uint64_t magnitude = AValue < 0 ? 0 - static_cast<uint64_t>(AValue) : static_cast<uint64_t>(AValue);
  do {
    *--start = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (AValue < 0) *--start = '-';
  return std::string_view(start, static_cast<size_t>(end - start));
}

void AppendDecimalPadded(std::string& AText, int64_t AValue, size_t AWidth) {
  char buffer[24];
  AppendPadLeft(AText, DecimalText(AValue, buffer), AWidth);
}

void AppendZeroPadded(std::string& AText, int AValue, int ADigits) {
  if (AValue >= 0 && AValue < 100 && ADigits == 2) {
    AText += static_cast<char>('0' + AValue / 10);
    AText += static_cast<char>('0' + AValue % 10);
    return;
  }
  char buffer[24];
  const std::string_view digits = DecimalText(AValue, buffer);
  // printf puts the sign before the zeros and counts it in the width.
  const bool negative = AValue < 0;
  const size_t width = static_cast<size_t>(ADigits);
  if (negative) AText += '-';
  const std::string_view magnitude = negative ? digits.substr(1) : digits;
  const size_t shown = magnitude.size() + (negative ? 1 : 0);
  if (shown < width) AText.append(width - shown, '0');
  AText += magnitude;
}

void AppendPadLeft(std::string& AText, std::string_view AValue, size_t AWidth) {
  if (AValue.size() < AWidth) AText.append(AWidth - AValue.size(), ' ');
  AText += AValue;
}

void AppendPadRight(std::string& AText, std::string_view AValue, size_t AWidth) {
  AText += AValue;
  if (AValue.size() < AWidth) AText.append(AWidth - AValue.size(), ' ');
}

}  // namespace kobix::ftp
