// The standalone host: plays FrameMaker's part for the filter. It makes documents in memory,
// imports MIF files into them (checking their syntax) and saves the document handed back.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fdk/host.h"

namespace pendra::host {

struct Document {
  F_ObjHandleT id = 0;
  fdk::PageGeometry geometry;
  F_TextRangeT selection;
  bool imported = false;
  // The imported MIF file, held open from the import on, so that it is read again when the
  // document is saved rather than kept in memory; the filter may delete its name meanwhile.
  std::shared_ptr<std::FILE> mif;
};

// Holds `text` as a document's content (an unnamed temporary file).
std::shared_ptr<std::FILE> contentOf(const std::string& text);

class StandaloneHost : public fdk::Host {
 public:
  void clientRequest(IntT what, IntT value) override;
  F_ObjHandleT customDoc(const fdk::PageGeometry& geometry) override;
  F_ObjHandleT getId(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum) override;
  void setTextRange(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum,
                    const F_TextRangeT& range) override;
  F_TextRangeT getTextRange(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum) override;
  F_PropValsT importDefaultParams() override;
  F_ObjHandleT import(F_ObjHandleT docId, const F_TextLocT& loc, ConStringT path,
                      const F_PropValsT& params, F_PropValsT* returned) override;
  IntT updateDoc(F_ObjHandleT docId, IntT flags) override;
  void returnValue(IntT value) override;
  void bailOut() override;
  void conversionStopped() override;

  // What the last notification left.
  const Document* returnedDocument() const;
  bool stopped() const { return stopped_; }
  bool importFailed() const { return importFailed_; }
  bool unloadRequested() const { return bailedOut_; }

 private:
  Document* find(F_ObjHandleT id);
  std::vector<Document> documents_;
  F_ObjHandleT returned_ = 0;
  bool stopped_ = false;
  bool importFailed_ = false;
  bool bailedOut_ = false;
};

// The saved form of a document: the imported file's two header lines, a Document statement with
// the page geometry, then the rest of the imported file unchanged. Written to `out` as it is
// read; false when the content could not be read or `out` refused bytes.
bool writeSavedDocument(const Document& doc, std::FILE* out);
std::string savedDocumentText(const Document& doc);

}  // namespace pendra::host
