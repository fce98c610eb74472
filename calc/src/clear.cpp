#include "quillbary/clear.h"

namespace quillbary {

void Clear(FieldValues& f) {
  for (std::string* text : {&f.hkje, &f.ll, &f.zcts, &f.zclx, &f.yqts, &f.yqll, &f.yqlx, &f.hj}) {
    text->clear();
  }
  f.l1Caption.clear();
  f.l2Visible = true;
  f.hjVisible = false;
  f.l1Visible = false;
}

}  // namespace quillbary
