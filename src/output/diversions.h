// Diversions: stretches of finished MLP lines written to one temporary file instead of the body,
// filed under numbered buffers and inserted later (title blocks, letters, table cells, picture
// elements). Buffers are lists of byte ranges of that file, so nothing is copied while diverting.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "fdk/fdk.h"

namespace pendra::output {

constexpr int kDiversionBufferCount = 10;
constexpr int kMaxDiversionDepth = 16;
constexpr int kNoChunk = -1;
constexpr std::size_t kDiversionCopyBlock = 1024;  // bytes read at a time when a buffer is inserted

// Buffer names used in messages, indexed by buffer number.
extern const char* const kDiversionBufferNames[kDiversionBufferCount];

// A byte range [start, end) of the diversion file and the chunk after it in its list.
struct Chunk {
  long start = 0;
  long end = 0;
  int next = kNoChunk;
};

struct ChunkList {
  int first = kNoChunk;
  int last = kNoChunk;
};

struct DiversionState {
  ChannelT file = nullptr;    // the diversion file, made at the first diversion
  ChannelT saved = nullptr;   // the body channel while diverting
  std::vector<Chunk> chunks;  // every chunk ever made; freed ones are on the free list
  int freeList = kNoChunk;
  std::array<ChunkList, kDiversionBufferCount> buffers{};
  std::array<ChunkList, kMaxDiversionDepth> stack{};
  int depth = 0;
  bool diverting = false;
};

DiversionState& diversionState();
// Forgets every buffer and the stack; a diversion file left by a run that was cut short belongs
// to the channels closed with it and is not touched.
void initDiversions();
void finishDiversions();

// %B: S, E<n>[+], I<n>, F<n>.
void BufferProc(const char* operation);
// Bytes held by buffer n (0 for a bad number).
long diversionBufferSize(int n);
// Bytes written to the open diversion so far (0 when nothing is diverted).
long openDiversionSize();

}  // namespace pendra::output
