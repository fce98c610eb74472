#include <windows.h>

#include <cstdint>

#include "gb18030_decoder.h"

namespace quillbary::batch::detail {
namespace {

constexpr UINT kGb18030 = 54936;
constexpr UINT kGbk = 936;  // GB18030's one- and two-byte characters

// The code page the decoder reads by: GB18030 where the system has it;
// else GBK (Wine has no 54936), which reads all but the four-byte
// characters, the encoding Excel saves a CSV in on a Chinese Windows.
UINT CodePageOf(const void* handle) {
  return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(handle));
}

bool Between(unsigned char c, unsigned char low, unsigned char high) {
  return c >= low && c <= high;
}

// The bytes of `raw` from `at` that form one character: 1, 2 or 4; 0 when
// raw ends inside it, -1 when they are no GB18030.
int CharacterLength(const std::string& raw, std::size_t at, bool fourByte) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(raw[at + i]); };
  const std::size_t left = raw.size() - at;
  if (byte(0) < 0x80) return 1;
  if (!Between(byte(0), 0x81, 0xFE)) return -1;
  if (left < 2) return 0;
  if (Between(byte(1), 0x40, 0x7E) || Between(byte(1), 0x80, 0xFE)) return 2;
  if (!fourByte || !Between(byte(1), 0x30, 0x39)) return -1;
  if (left < 3) return 0;
  if (!Between(byte(2), 0x81, 0xFE)) return -1;
  if (left < 4) return 0;
  return Between(byte(3), 0x30, 0x39) ? 4 : -1;
}

// Appends the UTF-8 of `count` bytes of whole characters; false when the
// system refuses one of them.
bool Append(UINT codePage, const char* bytes, int count, std::string& text) {
  if (count == 0) return true;
  const int wide = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, count, nullptr, 0);
  if (wide <= 0) return false;
  std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, count, utf16.data(), wide);
  const int narrow = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
  const std::size_t start = text.size();
  text.resize(start + static_cast<std::size_t>(narrow));
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, text.data() + start, narrow, nullptr, nullptr);
  return true;
}

}  // namespace

Gb18030Decoder::Gb18030Decoder()
    : handle_(reinterpret_cast<void*>(static_cast<std::uintptr_t>(
          ::IsValidCodePage(kGb18030) ? kGb18030 : ::IsValidCodePage(kGbk) ? kGbk : 0))) {}

Gb18030Decoder::~Gb18030Decoder() = default;

bool Gb18030Decoder::Usable() const {
  return CodePageOf(handle_) != 0;
}

Gb18030Decoder::Result Gb18030Decoder::Decode(std::string& raw, std::string& text) {
  std::size_t whole = 0;
  Result result = Result::kDone;
  while (whole < raw.size()) {
    const int length = CharacterLength(raw, whole, CodePageOf(handle_) == kGb18030);
    if (length <= 0) {
      result = length == 0 ? Result::kCutOff : Result::kInvalid;
      break;
    }
    whole += static_cast<std::size_t>(length);
  }
  if (!Append(CodePageOf(handle_), raw.data(), static_cast<int>(whole), text)) {
    return Result::kInvalid;
  }
  raw.erase(0, whole);
  return result;
}

}  // namespace quillbary::batch::detail
