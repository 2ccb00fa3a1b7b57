#include "output/diversions.h"

#include <cstdio>

#include "fdk/fdk.h"
#include "fdk/host.h"
#include "output/paragraph.h"
#include "reader/report.h"

namespace pendra::output {

namespace {

DiversionState diversions;

long filePosition() {
  return F_ChannelTell(diversions.file);
}

int newChunk(long at) {
  int c;
  if (diversions.freeList != kNoChunk) {
    c = diversions.freeList;
    diversions.freeList = diversions.chunks[static_cast<std::size_t>(c)].next;
  } else {
    c = static_cast<int>(diversions.chunks.size());
    diversions.chunks.emplace_back();
  }
  diversions.chunks[static_cast<std::size_t>(c)] = Chunk{at, at, kNoChunk};
  return c;
}

Chunk& chunk(int c) {
  return diversions.chunks[static_cast<std::size_t>(c)];
}

void freeChunks(ChunkList& list) {
  if (list.first != kNoChunk) {
    chunk(list.last).next = diversions.freeList;
    diversions.freeList = list.first;
  }
  list = ChunkList{};
}

// Appends a new chunk at the current position after the top level's last chunk.
void continueTopLevel() {
  ChunkList& top = diversions.stack[static_cast<std::size_t>(diversions.depth - 1)];
  int c = newChunk(filePosition());
  chunk(top.last).next = c;
  top.last = c;
}

bool nothingHeld() {
  for (const ChunkList& buffer : diversions.buffers)
    if (buffer.first != kNoChunk) return false;
  return true;
}

void startDiversion() {
  if (diversions.depth >= kMaxDiversionDepth) {
    reader::report("diversion stack overflow");
    return;
  }
  // An inline statement written before the diversion ends where it began.
  closeOpenStatement();
  if (diversions.depth > 0) {
    chunk(diversions.stack[static_cast<std::size_t>(diversions.depth - 1)].last).end =
        filePosition();
  } else {
    if (!diversions.file) {
      // Diverted text is short-lived and read back piece by piece: it is kept in memory, where
      // reading a cell back costs no system call.
      diversions.file = fdk::makeMemoryChannel();
      if (!diversions.file) {
        F_Printf(nullptr, "Cannot create temp file\n");
        F_ApiBailOut();
        throw reader::ConversionStop{"Cannot create temp file"};
      }
    } else if (nothingHeld()) {
      // No chunk is in use: the file starts over, so it holds at most what is diverted at once.
      diversions.chunks.clear();
      diversions.freeList = kNoChunk;
      F_ChannelSeek(diversions.file, 0, SEEK_SET);
    }
    diversions.saved = outputState().body;
    diversions.diverting = true;
    outputState().body = diversions.file;
  }
  int c = newChunk(filePosition());
  diversions.stack[static_cast<std::size_t>(diversions.depth++)] = ChunkList{c, c};
}

void endDiversion(int n, bool append) {
  if (diversions.depth == 0) {
    reader::report("diversion stack underflow");
    return;
  }
  // Text still in the paragraph buffer was written inside the diversion and belongs to it.
  if (outputState().length > 0) endParagraph();
  ChunkList level = diversions.stack[static_cast<std::size_t>(--diversions.depth)];
  chunk(level.last).end = filePosition();
  ChunkList& buffer = diversions.buffers[static_cast<std::size_t>(n)];
  if (append && buffer.first != kNoChunk) {
    chunk(buffer.last).next = level.first;
    buffer.last = level.last;
  } else {
    freeChunks(buffer);
    buffer = level;
  }
  if (diversions.depth > 0) {
    continueTopLevel();
  } else {
    outputState().body = diversions.saved;
    diversions.saved = nullptr;
    diversions.diverting = false;
  }
}

// Copies a chunk by reading at its place in the file, so that the file's position (its end,
// where the diversions write) stays where it is.
void copyChunk(const Chunk& c, ChannelT to) {
  char block[kDiversionCopyBlock];
  long at = c.start;
  for (long left = c.end - c.start; left > 0;) {
    std::size_t want =
        left < static_cast<long>(sizeof block) ? static_cast<std::size_t>(left) : sizeof block;
    std::size_t got = fdk::readChannelAt(diversions.file, at, block, want);
    if (got == 0) break;
    F_ChannelWrite(block, 1, got, to);
    at += static_cast<long>(got);
    left -= static_cast<long>(got);
  }
}

void insertBuffer(int n) {
  ChunkList& buffer = diversions.buffers[static_cast<std::size_t>(n)];
  if (buffer.first == kNoChunk) return;
  if (!diversions.diverting) {
    for (int c = buffer.first; c != kNoChunk; c = chunk(c).next)
      copyChunk(chunk(c), outputState().body);
    freeChunks(buffer);
    return;
  }
  // The buffer's chunks join the open level between its last chunk and a new one.
  ChunkList& top = diversions.stack[static_cast<std::size_t>(diversions.depth - 1)];
  chunk(top.last).end = filePosition();
  chunk(top.last).next = buffer.first;
  top.last = buffer.last;
  buffer = ChunkList{};
  continueTopLevel();
}

}  // namespace

DiversionState& diversionState() {
  return diversions;
}

void initDiversions() {
  diversions = DiversionState{};
}

void finishDiversions() {
  if (diversions.depth > 0) {
    reader::report("Unclosed diversion");
    outputState().body = diversions.saved;
  }
  if (diversions.file) F_ChannelCloseTmp(diversions.file);
  for (int n = 0; n < kDiversionBufferCount; ++n)
    if (diversions.buffers[static_cast<std::size_t>(n)].first != kNoChunk)
      reader::report("Some text (%s) was not output", kDiversionBufferNames[n]);
  initDiversions();
}

void BufferProc(const char* operation) {
  char op = operation[0];
  if (op == 'S') {
    startDiversion();
    return;
  }
  if (op != 'E' && op != 'I' && op != 'F') {
    reader::report("Bad arg string for BufferProc");
    return;
  }
  const char* p = operation + 1;
  int n = 0;
  bool digits = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    digits = true;
    if (n < kDiversionBufferCount) n = n * 10 + (*p - '0');
  }
  if (!digits || n >= kDiversionBufferCount) {
    reader::report("bad diversion buffer number");
    return;
  }
  if (op == 'E')
    endDiversion(n, *p == '+');
  else if (op == 'I')
    insertBuffer(n);
  else
    freeChunks(diversions.buffers[static_cast<std::size_t>(n)]);
}

long diversionBufferSize(int n) {
  if (n < 0 || n >= kDiversionBufferCount) return 0;
  long size = 0;
  for (int c = diversions.buffers[static_cast<std::size_t>(n)].first; c != kNoChunk;
       c = chunk(c).next)
    size += chunk(c).end - chunk(c).start;
  return size;
}

long openDiversionSize() {
  if (diversions.depth == 0) return 0;
  const ChunkList& top = diversions.stack[static_cast<std::size_t>(diversions.depth - 1)];
  long size = 0;
  for (int c = top.first; c != kNoChunk; c = chunk(c).next)
    size += (c == top.last ? filePosition() : chunk(c).end) - chunk(c).start;
  return size;
}

}  // namespace pendra::output
