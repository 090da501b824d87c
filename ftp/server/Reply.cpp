#include "ftp/server/Reply.h"

#include "ftp/server/Errors.h"

#include <charconv>

namespace kobix::ftp {

std::vector<std::string> SplitLines(std::string_view AText) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < AText.size(); ++i) {
    if (AText[i] != '\r' && AText[i] != '\n') continue;
    lines.emplace_back(AText.substr(start, i - start));
    if (AText[i] == '\r' && i + 1 < AText.size() && AText[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < AText.size()) lines.emplace_back(AText.substr(start));
  return lines;
}

int TIdReply::NumericCode() const {
  int value = 0;
  std::from_chars(FCode.data(), FCode.data() + FCode.size(), value);
  return value;
}

void TIdReply::SetCode(int ACode) { SetCode(ACode == 0 ? std::string() : std::to_string(ACode)); }

void TIdReply::SetCode(std::string_view ACode) {
  if (ACode == FCode) return;
  if (!ACode.empty()) {
    int value = 0;
    const auto [end, error] = std::from_chars(ACode.data(), ACode.data() + ACode.size(), value);
    if (error != std::errc() || end != ACode.data() + ACode.size() || value < 100 || value > 999)
      throw EIdException("Reply Code is not valid: " + std::string(ACode));
  }
  FCode = ACode;
  FText.clear();
}

void TIdReply::SetText(std::string_view AText) { FText = SplitLines(AText); }

void TIdReply::SetReply(int ACode, std::string_view AText) {
  SetCode(ACode);
  SetText(AText);
}

void TIdReply::Clear() {
  FCode.clear();
  FText.clear();
}

void TIdReply::FillFallbackText() {
  if (!FText.empty()) return;
  switch (NumericCode() / 100) {
    case 1: FText = {"Information"}; break;
    case 2: FText = {"Ok"}; break;
    case 3: FText = {"Temporary Error"}; break;
    case 4: FText = {"Permanent Error"}; break;
    case 5: FText = {"Unknown Internal Error"}; break;
    default: break;
  }
}

std::string TIdReply::FormattedReply() const {
  std::string wire;
  if (FCode.empty()) {
    for (const auto& line : FText) wire += line + "\r\n";
    return wire;
  }
  if (FText.empty()) return FCode + "\r\n";
  const size_t last = FText.size() - 1;
  for (size_t i = 0; i < FText.size(); ++i) {
    if (i == last)
      wire += FCode + " ";
    else if (i == 0 || FReplyFormat == rfNormal)
      wire += FCode + "-";
    else
      wire += " ";
    wire += FText[i] + "\r\n";
  }
  return wire;
}

}  // namespace kobix::ftp
