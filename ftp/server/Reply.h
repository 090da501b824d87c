#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kobix::ftp {

/// Multi-line layout of an FTP reply: every line but the last carries "code-" (normal), or only the
/// first does and the middle lines carry one leading blank (indented).
enum TIdReplyRFCFormat { rfNormal, rfIndentMidLines };

/// A reply: a three-digit code (or none) and its text lines.
class TIdReply {
 public:
  TIdReply() = default;
  TIdReply(int ACode, std::string_view AText = {}) { SetReply(ACode, AText); }
  virtual ~TIdReply() = default;

  const std::string& Code() const { return FCode; }
  int NumericCode() const;
  /// Setting a different code empties the text; setting the same code keeps it. Codes must lie
  /// between 100 and 999 ("Reply Code is not valid: %s" otherwise); 0 clears the code.
  void SetCode(int ACode);
  void SetCode(std::string_view ACode);

  const std::vector<std::string>& Text() const { return FText; }
  std::vector<std::string>& Text() { return FText; }
  /// Sets the text from one string, split at CR LF, CR or LF; a final break adds no empty line.
  void SetText(std::string_view AText);
  void SetReply(int ACode, std::string_view AText);
  void Clear();

  TIdReplyRFCFormat ReplyFormat() const { return FReplyFormat; }
  void SetReplyFormat(TIdReplyRFCFormat AFormat) { FReplyFormat = AFormat; }

  /// Gives an empty text the standard text of its hundreds code ("Ok" for 2xx and so on).
  void FillFallbackText();
  /// The reply as it goes on the wire, each line ended by CR LF.
  std::string FormattedReply() const;

 private:
  std::string FCode;
  std::vector<std::string> FText;
  TIdReplyRFCFormat FReplyFormat = rfNormal;
};

/// The greeting's reply kind: always the normal layout.
class TIdReplyRFC : public TIdReply {
 public:
  using TIdReply::TIdReply;
};

/// Every reply but the greeting.
class TIdReplyFTP : public TIdReply {
 public:
  using TIdReply::TIdReply;
};

/// Splits a text into lines at CR LF, CR or LF; a final break adds no empty line.
std::vector<std::string> SplitLines(std::string_view AText);

}  // namespace kobix::ftp
