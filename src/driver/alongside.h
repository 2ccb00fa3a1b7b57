// The second stage on a thread of its own, translating the MLP body while the first stage writes
// it: the body goes through a shared channel, and each format's definition is handed over, as
// the prologue will write it, before the body text written after the format's first use. Once
// both stages are done the result stands only if every definition handed over is the one the
// finished prologue writes and the translation saw nothing that the finished file would have
// given otherwise; else the caller translates the finished file as usual.
#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fdk/fdk.h"
#include "mlp/alongside.h"

namespace pendra::driver {

class AlongsideTranslation : public mlp::DefinitionFeed {
 public:
  // The name of the translation's thread, as the system shows it.
  static constexpr const char* kThreadName = "pendra-mlp";

  AlongsideTranslation() = default;
  ~AlongsideTranslation() override { stop(); }
  AlongsideTranslation(const AlongsideTranslation&) = delete;
  AlongsideTranslation& operator=(const AlongsideTranslation&) = delete;

  // The body channel the first stage writes, shared with the translation.
  ChannelT makeBodyChannel();
  // Starts the translation of `body`; false when no thread could be started.
  bool start(ChannelT body, const char* versionText);
  // The first stage is done and its prologue written: the rest of the body and of the
  // definitions goes over.
  void endBody(mlp::PrologueShape prologue);
  // Waits for the translation; true when its tree is the one the finished MLP file gives. The
  // body channel has been read: the finished file needs it written again.
  bool finish();
  int bodyLines() const { return result_.bodyLines; }
  // Ends the translation at once and waits for it (a run cut short).
  void stop();

  void takeArrived(std::vector<mlp::SentDefinition>& into) override;
  mlp::PrologueShape prologueShape() override;

 private:
  static void publish(void* self);
  void run(const char* versionText);

  ChannelT body_ = nullptr;
  std::thread thread_;
  std::mutex lock_;
  std::vector<mlp::SentDefinition> arrived_;  // handed over, not yet taken
  mlp::PrologueShape prologue_;
  std::vector<mlp::SentDefinition> sent_;  // all handed over, for the check at the end
  mlp::AlongsideResult result_;
  bool failed_ = false;  // the thread ended by an exception or with messages
};

}  // namespace pendra::driver
