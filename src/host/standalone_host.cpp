#include "host/standalone_host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/mif_check.h"

namespace pendra::host {

namespace {

// Each document owns four consecutive handles: the document, its main flow, the flow's first
// text frame and that frame's first paragraph.
constexpr F_ObjHandleT kHandlesPerDoc = 4;
constexpr MetricT kMetricInch = 72 * 65536;

F_ObjHandleT docOf(F_ObjHandleT handle) {
  return handle == 0 ? 0 : handle - (handle - 1) % kHandlesPerDoc;
}

std::string inches(MetricT m) {
  // Up to four decimals, trailing zeros dropped but one kept: 8.5", 11.0", 0.25".
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(m) / kMetricInch);
  std::string s = buf;
  while (s.size() > 2 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  return s + "\"";
}

// mkstemp makes files readable by their owner only; a saved document gets the usual mode.
void setDefaultMode(const std::string& path) {
  mode_t mask = umask(0);
  umask(mask);
  chmod(path.c_str(), 0666 & ~mask);
}

}  // namespace

void StandaloneHost::clientRequest(IntT, IntT) {}

F_ObjHandleT StandaloneHost::customDoc(const fdk::PageGeometry& geometry) {
  Document doc;
  doc.id = static_cast<F_ObjHandleT>(documents_.size()) * kHandlesPerDoc + 1;
  doc.geometry = geometry;
  documents_.push_back(doc);
  return doc.id;
}

Document* StandaloneHost::find(F_ObjHandleT id) {
  for (Document& d : documents_)
    if (d.id == id) return &d;
  return nullptr;
}

F_ObjHandleT StandaloneHost::getId(F_ObjHandleT, F_ObjHandleT objId, IntT propNum) {
  Document* doc = find(docOf(objId));
  if (!doc) return 0;
  F_ObjHandleT offset = objId - doc->id;
  if (propNum == FP_MainFlowInDoc && offset == 0) return doc->id + 1;
  if (propNum == FP_FirstTextFrameInFlow && offset == 1) return doc->id + 2;
  if (propNum == FP_FirstPgf && offset == 2) return doc->id + 3;
  return 0;
}

void StandaloneHost::setTextRange(F_ObjHandleT, F_ObjHandleT objId, IntT propNum,
                                  const F_TextRangeT& range) {
  Document* doc = find(objId);
  if (!doc || propNum != FP_TextSelection) return;
  // A selection can only be made inside the document's own paragraph.
  if (range.beg.objId != doc->id + 3 || range.end.objId != doc->id + 3) return;
  doc->selection = range;
}

F_TextRangeT StandaloneHost::getTextRange(F_ObjHandleT, F_ObjHandleT objId, IntT propNum) {
  Document* doc = find(objId);
  if (!doc || propNum != FP_TextSelection) return {};
  return doc->selection;
}

F_PropValsT StandaloneHost::importDefaultParams() {
  F_PropValsT list;
  for (IntT prop : {4, 18, 7}) list.val.push_back({prop, 0});
  return list;
}

F_ObjHandleT StandaloneHost::import(F_ObjHandleT docId, const F_TextLocT& loc, ConStringT path,
                                    const F_PropValsT&, F_PropValsT* returned) {
  if (returned) returned->val.clear();
  Document* doc = find(docId);
  if (!doc || loc.objId != doc->id + 3) {
    std::fprintf(stderr, "Import of %s failed: no such insertion point\n", path);
    importFailed_ = true;
    return 0;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "Import of %s failed: cannot read the file\n", path);
    importFailed_ = true;
    return 0;
  }
  std::ostringstream content;
  content << in.rdbuf();
  std::string text = content.str();
  MifCheckResult check = checkMif(text);
  if (!check.ok) {
    std::fprintf(stderr, "Import of %s failed: line %d: %s\n", path, check.line,
                 check.message.c_str());
    importFailed_ = true;
    return 0;
  }
  doc->mif = std::move(text);
  doc->imported = true;
  return doc->id;
}

IntT StandaloneHost::updateDoc(F_ObjHandleT docId, IntT) {
  return find(docId) ? 0 : -1;
}

void StandaloneHost::returnValue(IntT value) {
  returned_ = static_cast<F_ObjHandleT>(value);
}

void StandaloneHost::bailOut() {
  bailedOut_ = true;
}

void StandaloneHost::conversionStopped() {
  stopped_ = true;
}

const Document* StandaloneHost::returnedDocument() const {
  for (const Document& d : documents_)
    if (d.id == returned_) return &d;
  return nullptr;
}

std::string savedDocumentText(const Document& doc) {
  const std::string& mif = doc.mif;
  std::size_t split = 0;
  for (int lines = 0; lines < 2 && split < mif.size(); ++lines) {
    std::size_t eol = mif.find('\n', split);
    split = eol == std::string::npos ? mif.size() : eol + 1;
  }
  const fdk::PageGeometry& g = doc.geometry;
  std::string out = mif.substr(0, split);
  if (!out.empty() && out.back() != '\n') out += '\n';
  out += "<Document\n";
  out += " <DPageSize " + inches(g.width) + " " + inches(g.height) + ">\n";
  out += " <DMargins " + inches(g.left) + " " + inches(g.top) + " " + inches(g.right) + " " +
         inches(g.bottom) + ">\n";
  out += " <DColumns " + std::to_string(g.columns) + ">\n";
  out += " <DColumnGap " + inches(g.columnGap) + ">\n";
  out += std::string(" <DTwoSides ") + (g.sidedness ? "Yes" : "No") + ">\n";
  out += "> # end of Document\n";
  out.append(mif, split, std::string::npos);
  return out;
}

bool saveFile(const std::string& path, const std::string& text) {
  if (path == "-") {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0;
  }
  std::string tmp = path + ".tmpXXXXXX";
  int fd = mkstemp(tmp.data());
  if (fd < 0) return false;
  fdk::addTransientFile(tmp.c_str());
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0) ok = false;
  if (ok) setDefaultMode(tmp);
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    ok = false;
  }
  fdk::removeTransientFile(tmp.c_str());
  return ok;
}

}  // namespace pendra::host
