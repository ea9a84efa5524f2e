// Feeds arbitrary bytes of arbitrary size to the dialog-template reader: it must
// never read outside the image, and everything it hands back must lie inside.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/diag_capture.h"
#include "templatewin/template_reader.h"
#include "templatewin/viewer_logic.h"

namespace {

void Require(bool condition) {
  if (!condition) abort();
}

void RequireInside(const TemplateText& text, size_t size) {
  // Characters plus the terminator.
  Require(text.offset <= size && (size - text.offset) / 2 >= text.length + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exactly sized copy, so the sanitizer catches any read past the end.
  std::vector<uint8_t> image(data, data + size);
  ParsedTemplate parsed;
  const bool ok = CheckTemplate(image.data(), image.size(), 103, &parsed);
  Require(ok == (parsed.status == TemplateStatus::Ok));
  Require(ok ? CapturedReports().empty() : CapturedReports().size() == 1);
  ClearCaptured();
  if (parsed.status != TemplateStatus::HeaderTruncated &&
      parsed.status != TemplateStatus::MenuOrClass) {
    RequireInside(parsed.header.title, size);
    if (parsed.header.hasFont) RequireInside(parsed.header.faceName, size);
  }
  size_t previousEnd = 0;
  for (const TemplateItem& item : parsed.items) {
    Require(item.start % 4 == 0 && item.start >= previousEnd && item.end <= size);
    if (!item.classIsOrdinal) RequireInside(item.className, size);
    RequireInside(item.text, size);
    ControlClass cls;
    if (item.classIsOrdinal && LookupControlClass(item.classOrdinal, item.style, item.id, &cls))
      Require(cls.name != nullptr && (cls.navigable == 0 || cls.navigable == 1));
    previousEnd = item.end;
  }
  if (ok) Require(parsed.items.size() == parsed.header.itemCount);
  // The in-place rewrite works on any image it accepts.
  RewriteViewerTemplate(image.data(), image.size(), size > 0 ? data[0] * 7 - 300 : 0);
  return 0;
}
