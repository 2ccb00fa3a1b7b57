// The FDK client library as the filter sees it: console, channels, file paths, memory, and the
// F_Api calls, which are forwarded to whatever host is installed (see host.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using IntT = std::int32_t;
using UIntT = std::uint32_t;
using BoolT = std::int32_t;
using MetricT = std::int32_t;
using StringT = char*;
using ConStringT = const char*;
using F_ObjHandleT = std::uint32_t;

constexpr int FDefaultPlatform = 0;

// A byte stream on a file or on a temporary file that vanishes when it is closed.
struct ChannelObj;
using ChannelT = ChannelObj*;

// A file path as the host knows it; made by F_PathNameToFilePath, freed by F_FilePathFree.
struct FilePathObj;
using FilePathT = FilePathObj*;

struct F_TextLocT {
  F_ObjHandleT objId = 0;
  IntT offset = 0;
};

struct F_TextRangeT {
  F_TextLocT beg;
  F_TextLocT end;
};

struct F_PropValT {
  IntT propIdent = 0;
  IntT intValue = 0;
};

// A property list; an empty list stands for failure.
struct F_PropValsT {
  std::vector<F_PropValT> val;
  UIntT len() const { return static_cast<UIntT>(val.size()); }
};

// Property numbers the driver uses.
constexpr IntT FP_MainFlowInDoc = 422;
constexpr IntT FP_FirstTextFrameInFlow = 1169;
constexpr IntT FP_FirstPgf = 972;
constexpr IntT FP_TextSelection = 109;

// ---- utility services --------------------------------------------------------------------------

// F_Printf on a null channel writes to the console (standard error here).
int F_Printf(ChannelT channel, ConStringT format, ...) __attribute__((format(printf, 2, 3)));

void F_FdeInit();

FilePathT F_PathNameToFilePath(ConStringT pathName, FilePathT anchor, IntT platform);
FilePathT F_FilePathParent(FilePathT path, IntT* statusp);
StringT F_FilePathBaseName(FilePathT path);
StringT F_FilePathToPathName(FilePathT path, IntT platform);
void F_FilePathFree(FilePathT path);
// Mask 1 asks whether the file exists and can be read; the answer is 1 or 0.
IntT F_FilePathProperty(FilePathT path, IntT mask);
IntT F_DeleteFile(FilePathT path);

ChannelT F_ChannelOpen(FilePathT path, ConStringT mode);
ChannelT F_ChannelMakeTmp(UIntT size);
std::size_t F_ChannelRead(void* ptr, std::size_t size, std::size_t count, ChannelT channel);
std::size_t F_ChannelWrite(const void* ptr, std::size_t size, std::size_t count, ChannelT channel);
IntT F_ChannelSeek(ChannelT channel, long offset, IntT whence);
long F_ChannelTell(ChannelT channel);
IntT F_ChannelEof(ChannelT channel);
IntT F_ChannelClose(ChannelT channel);
IntT F_ChannelCloseTmp(ChannelT channel);

// Heap strings handed out by the path services are released with F_Free; F_Realloc enlarges them.
void* F_Alloc(std::size_t size);
void* F_Realloc(void* ptr, std::size_t size);
void F_Free(void* ptr);

MetricT F_MetricFractMul(MetricT metric, MetricT numerator, MetricT denominator);

// ---- F_Api calls, forwarded to the installed host ----------------------------------------------

void F_ApiClientRequest(IntT what, IntT value);
F_ObjHandleT F_ApiCustomDoc(MetricT width, MetricT height, IntT numCols, MetricT columnGap,
                            MetricT topMargin, MetricT botMargin, MetricT leftinsideMargin,
                            MetricT rightoutsideMargin, IntT sidedness, BoolT makeVisible);
F_ObjHandleT F_ApiGetId(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum);
void F_ApiSetTextRange(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum,
                       const F_TextRangeT* range);
F_TextRangeT F_ApiGetTextRange(F_ObjHandleT docId, F_ObjHandleT objId, IntT propNum);
F_PropValsT F_ApiGetImportDefaultParams();
IntT F_ApiGetPropIndex(const F_PropValsT* props, IntT propNum);
F_ObjHandleT F_ApiImport(F_ObjHandleT enclosingDocId, const F_TextLocT* textLocp,
                         ConStringT filename, const F_PropValsT* importParamsp,
                         F_PropValsT* importReturnParamsp);
void F_ApiDeallocatePropVals(F_PropValsT* props);
// The request made on the document after the import (flag word 7: bring the document up to date).
IntT F_ApiUpdateDoc(F_ObjHandleT docId, IntT flags);
void F_ApiReturnValue(IntT value);
void F_ApiBailOut();
