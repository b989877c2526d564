#include "ui/win32/form.h"

namespace ambrelix::ui {

HFONT FontCache::Get(const FontSpec& spec) {
  for (const Made& made : made_)
    if (std::wcscmp(made.spec.face, spec.face) == 0 && made.spec.height == spec.height &&
        made.spec.bold == spec.bold && made.spec.charset == spec.charset)
      return made.font.get();
  made_.push_back({spec, MakeFont(spec.face, spec.height, spec.bold, spec.charset)});
  return made_.back().font.get();
}

}  // namespace ambrelix::ui
