// Converting several documents in one run: each in a child process of its own, at most a given
// number at once, their messages collected line by line under the document's name.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace pendra::host {

// The exit statuses of one conversion, as the command reports them.
constexpr int kBatchOk = 0;
constexpr int kBatchStopped = 1;
constexpr int kBatchUsage = 2;
constexpr int kBatchNoDocument = 3;

// The most worker processes one run starts.
constexpr int kMaxJobs = 1024;

// A message line of a worker longer than this (a progress trace is one line for the whole
// source) is passed on in pieces of this size, each on a line of its own under the name.
constexpr std::size_t kMaxMessageLine = 1 << 14;

// The status of a run from those of its documents: the worst, in the order 0 (written) < 3 (no
// document) < 1 (stopped) < 2 (usage error). A status outside these counts as 1.
int worseStatus(int a, int b);

// The number of workers when none is asked for: one per online processor, no more than there
// are documents.
int defaultJobs(std::size_t documents);

// Makes `dir` (and its parents) when absent. Empty when it is a directory now, otherwise the
// message saying why it cannot hold the documents.
std::string prepareOutputDirectory(const std::string& dir);

// Where the document converted from `source` goes in `dir`: `defaultName`'s last component
// (the source's name with its extension replaced) in `dir`.
std::string outputInDirectory(const std::string& dir, const std::string& defaultName);

// Empty when no two documents would be written to the same file; otherwise a message naming
// the two sources and the file.
std::string sharedOutput(const std::vector<std::string>& sources,
                         const std::vector<std::string>& outputs);

// Converts every document: `convert(i)` runs in a child process for document i and returns its
// exit status. At most `jobs` children run at once, and a child that crashes or stops never
// stops the others. The lines each child writes to standard error reach `messages` whole,
// each prefixed with "NAME: " (names[i]), so that the lines of two documents never mix; then a
// summary line. Returns the run's status (worseStatus of all documents).
int runBatch(const std::vector<std::string>& names, int jobs,
             const std::function<int(std::size_t)>& convert, int messages = 2);

}  // namespace pendra::host
