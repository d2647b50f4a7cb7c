// Fuzzes insert of one drawing into another: inserting one into the other (twice, the second
// time redefining the block), placing a reference and writing the result either fails with a
// reason or gives a drawing that reads back, with no handle 0 or twice. Input: NAME '\n'
// TARGET '\0' SOURCE, TARGET DXF text (empty: a new drawing); without a NUL byte all after NAME
// is the SOURCE. The reader refuses NUL bytes, so the split cannot cut a drawing that reads.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>

#include "base/cstring.h"
#include "cad/acdb.h"

namespace {

// Aborts on a handle written twice or a handle 0: the first group 5 (105 for DIMSTYLE) of
// each record is its handle; later ones are text the record keeps.
void checkHandles(std::string_view text) {
  std::unordered_set<std::string_view> seen;
  bool named = true;
  for (size_t at = 0; at < text.size();) {
    const size_t codeEnd = text.find('\n', at);
    if (codeEnd == std::string_view::npos) break;
    const size_t valueEnd = text.find('\n', codeEnd + 1);
    const std::string_view code = text.substr(at, codeEnd - at);
    const std::string_view value = text.substr(codeEnd + 1, valueEnd - codeEnd - 1);
    if (code == "  0") {
      named = false;
    } else if (!named && (code == "  5" || code == "105")) {
      named = true;
      if (value == "0" || !seen.insert(value).second) std::abort();
    }
    if (valueEnd == std::string_view::npos) break;
    at = valueEnd + 1;
  }
}

void insertAndPlace(AcDbDatabase& target, const std::wstring& name, AcDbDatabase& source) {
  AcDbObjectId id;
  if (target.insert(id, name.c_str(), &source) != Acad::eOk) {
    if (*target.lastErrorText() == 0) std::abort();  // a refusal says why
    return;
  }
  AcDbBlockTableRecord* model = nullptr;
  if (acdbOpenObject(model, target.modelSpaceId(), AcDb::kForWrite) != Acad::eOk) std::abort();
  auto* ref = new AcDbBlockReference(AcGePoint3d(), id);
  if (model->appendAcDbEntity(ref) == Acad::eOk)
    ref->close();
  else
    delete ref;
  model->close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t newline = input.find('\n');
  if (newline == std::string_view::npos || newline > 64) return 0;
  const std::wstring name = zrbase::utf8ToWide(input.substr(0, newline));
  const std::string_view rest = input.substr(newline + 1);
  const size_t nul = rest.find('\0');
  const std::string_view targetText = nul == std::string_view::npos ? "" : rest.substr(0, nul);
  const std::string_view sourceText = nul == std::string_view::npos ? rest : rest.substr(nul + 1);
  AcDbDatabase target(targetText.empty());  // an empty target: a new drawing
  AcDbDatabase source(false);
  if (!targetText.empty() && target.readDxfText(targetText) != Acad::eOk) return 0;
  if (source.readDxfText(sourceText) != Acad::eOk) return 0;
  insertAndPlace(target, name, source);
  insertAndPlace(target, name, source);  // the block defined anew over itself
  std::string out;
  if (target.writeDxfText(out) != Acad::eOk) std::abort();
  checkHandles(out);
  AcDbDatabase back(false);
  if (back.readDxfText(out) != Acad::eOk) std::abort();  // we wrote what we cannot read
  return 0;
}
