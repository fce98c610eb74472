#include <iconv.h>

#include <cerrno>

#include "gb18030_decoder.h"

namespace quillbary::batch::detail {
namespace {

const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

}  // namespace

Gb18030Decoder::Gb18030Decoder() : handle_(iconv_open("UTF-8", "GB18030")) {}

Gb18030Decoder::~Gb18030Decoder() {
  if (Usable()) iconv_close(static_cast<iconv_t>(handle_));
}

bool Gb18030Decoder::Usable() const {
  return static_cast<iconv_t>(handle_) != kNone;
}

Gb18030Decoder::Result Gb18030Decoder::Decode(std::string& raw, std::string& text) {
  char* in = raw.data();
  std::size_t inLeft = raw.size();
  Result result = Result::kDone;
  while (inLeft > 0) {
    const std::size_t start = text.size();
    text.resize(start + inLeft * 2 + 16);
    char* out = text.data() + start;
    std::size_t outLeft = text.size() - start;
    const std::size_t done = iconv(static_cast<iconv_t>(handle_), &in, &inLeft, &out, &outLeft);
    text.resize(text.size() - outLeft);
    if (done != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    result = errno == EINVAL ? Result::kCutOff : Result::kInvalid;
    break;
  }
  raw.erase(0, raw.size() - inLeft);
  return result;
}

}  // namespace quillbary::batch::detail
