#include "ftp/server/TelnetFilter.h"

namespace kobix::ftp {

namespace {

constexpr uint8_t CR = 13, LF = 10, NUL = 0;
constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250;
constexpr uint8_t EL = 248, EC = 247, AO = 245, IP = 244, DM = 242, SE = 240;

}  // namespace

TTelnetFilter::TResult TTelnetFilter::Feed(uint8_t AByte, std::string& ALine, std::string& AReply) {
  switch (FState) {
    case TState::Data:
      if (AByte == CR) FState = TState::AfterCR;
      else if (AByte == IAC) FState = TState::AfterIAC;
      else ALine += static_cast<char>(AByte);
      return TResult::More;
    case TState::AfterCR:
      if (AByte == LF) {
        FState = TState::Data;
        return TResult::LineComplete;
      }
      ALine += static_cast<char>(CR);
      if (AByte == IAC) {
        FState = TState::AfterIAC;
      } else {
        if (AByte != NUL) ALine += static_cast<char>(AByte);
        FState = TState::Data;
      }
      return TResult::More;
    case TState::AfterIAC:
      return FeedCommand(AByte, ALine, AReply);
    case TState::AfterWill:
      AReply = {static_cast<char>(IAC), static_cast<char>(DONT), static_cast<char>(AByte)};
      FState = TState::Data;
      return TResult::More;
    case TState::AfterDo:
      AReply = {static_cast<char>(IAC), static_cast<char>(WONT), static_cast<char>(AByte)};
      FState = TState::Data;
      return TResult::More;
    case TState::AfterWont:
    case TState::AfterDont:
      FState = TState::Data;
      return TResult::More;
    case TState::AfterSB:
      FState = TState::InSB;
      return TResult::More;
    case TState::InSB:
      if (AByte == IAC) FState = TState::InSBIAC;
      return TResult::More;
    case TState::InSBIAC:
      FState = AByte == SE ? TState::Data : TState::InSB;
      return TResult::More;
    case TState::AfterIP:
      if (AByte == IAC) FState = TState::AfterIPIAC;
      return TResult::More;
    case TState::AfterIPIAC:
      if (AByte == DM) FState = TState::Data;
      return TResult::More;
  }
  return TResult::More;
}

TTelnetFilter::TResult TTelnetFilter::FeedCommand(uint8_t AByte, std::string& ALine, std::string& AReply) {
  FState = TState::Data;
  switch (AByte) {
    case IAC: ALine += static_cast<char>(IAC); break;
    case IP: ALine.clear(); FState = TState::AfterIP; break;
    case AO: AReply = {static_cast<char>(IAC), static_cast<char>(IP), static_cast<char>(IAC), static_cast<char>(DM)}; break;
    case EC: if (!ALine.empty()) ALine.pop_back(); break;
    case EL: ALine.clear(); break;
    case SB: FState = TState::AfterSB; break;
    case WILL: FState = TState::AfterWill; break;
    case WONT: FState = TState::AfterWont; break;
    case DO: FState = TState::AfterDo; break;
    case DONT: FState = TState::AfterDont; break;
    default: break;  // NOP, DM, BRK, AYT, GA and anything below: ignored
  }
  return TResult::More;
}

}  // namespace kobix::ftp
