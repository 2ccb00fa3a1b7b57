// The standalone host: plays FrameMaker's part for the filter. It makes documents in memory,
// imports MIF files into them (checking their syntax) and saves the document handed back.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fdk/host.h"
#include "host/mif_check.h"

namespace pendra::host {

struct Document {
  F_ObjHandleT id = 0;
  fdk::PageGeometry geometry;
  F_TextRangeT selection;
  bool imported = false;
  // The imported MIF file, held open from the import on, so that it is read again when the
  // document is saved rather than kept in memory; the filter may delete its name meanwhile.
  std::shared_ptr<std::FILE> mif;
  // A kept file leaves `room` bytes after its two header lines (which end at `headerEnd`) for the
  // Document statement, so that the save can write it there and take the file as it is.
  long headerEnd = -1;
  std::size_t room = 0;
};

// Holds `text` as a document's content (an unnamed temporary file).
std::shared_ptr<std::FILE> contentOf(const std::string& text);

class KeptWriter;
// The name of the thread that checks and writes a kept file, as the system shows it.
constexpr const char* kKeptWriterThreadName = "pendra-mif";

// A file the host keeps for the filter instead of the file system: its bytes go into an unnamed
// file and through the MIF check as they are written, on a thread of their own while the filter
// goes on (see KeptWriter).
struct KeptFile {
  std::string path;  // the name the filter gave it
  int fd = -1;       // the unnamed file
  MifChecker checker;
  int error = 0;  // the reason the first write failed
  bool closed = false;
  long at = 0;           // where the next byte goes
  int headerLines = 0;   // line ends written, up to the two of the header
  long headerEnd = -1;   // where the header lines end, once both are written
  std::size_t room = 0;  // left free after them (see Document)
  // Where the saved document will replace a file on ext4, the rename writes the new file's blocks
  // out before it returns, at the very end of the run: they are sent a step at a time as they are
  // written instead, on the thread that writes them, while the filter formats the rest.
  bool writeOutEarly = false;
  long writtenOut = 0;  // the bytes before this are sent to the disk
  std::unique_ptr<KeptWriter> writer;
  KeptFile();
  ~KeptFile();
  KeptFile(const KeptFile&) = delete;
  KeptFile& operator=(const KeptFile&) = delete;
};

class StandaloneHost : public fdk::Host {
 public:
  // Keeps the files the filter makes for import (the intermediate MIF file) rather than letting
  // them be made beside the source: unnamed, in `dir` (the temporary directory when empty), so
  // that nothing is left behind and no name is taken. With `writeOutEarly` their blocks are sent
  // to the disk as they are written (see KeptFile).
  void keepImportFiles(const std::string& dir, bool writeOutEarly = false);
  bool createFile(const char* path, std::FILE** stream) override;
  bool deleteFile(const char* path) override;
  // With the import files kept, the MLP between the stages is held in memory as well.
  bool temporaryChannelsInMemory() const override { return keepFiles_; }
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
  KeptFile* kept(const char* path);
  std::vector<Document> documents_;
  bool keepFiles_ = false;
  bool writeOutEarly_ = false;
  std::string keepDir_;
  std::vector<std::unique_ptr<KeptFile>> kept_;
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

// The Document statement of a page geometry, as the saved form has it.
std::string documentStatement(const fdk::PageGeometry& geometry);
// Makes the imported file itself the saved form, where it is a kept file whose room fits the
// document's statement exactly: writes the statement there and gives the file's descriptor
// (the document's own; not to be closed). -1 otherwise (nothing changed; the saved form is to
// be written with writeSavedDocument).
int savedFormInPlace(const Document& doc);

}  // namespace pendra::host
