// GB18030, the encoding of a CSV that Excel saved on a Chinese Windows,
// decoded to UTF-8 a block at a time: by iconv on POSIX, by the system's
// code page 54936 on Windows (936, GBK, where a system lacks it).
#pragma once

#include <string>

namespace quillbary::batch::detail {

class Gb18030Decoder {
 public:
  Gb18030Decoder();
  ~Gb18030Decoder();
  Gb18030Decoder(const Gb18030Decoder&) = delete;
  Gb18030Decoder& operator=(const Gb18030Decoder&) = delete;

  // False when the system cannot decode GB18030.
  bool Usable() const;

  enum class Result {
    kDone,     // every byte of `raw` decoded
    kCutOff,   // raw ends inside a character: the next block completes it
    kInvalid,  // raw holds bytes that are no GB18030
  };
  // Appends to `text` the UTF-8 of the whole characters at the start of
  // `raw`, up to the end or the first invalid byte, and erases them from raw.
  Result Decode(std::string& raw, std::string& text);

 private:
  void* handle_;  // iconv's; on Windows the code page
};

}  // namespace quillbary::batch::detail
