#include "driver/alongside.h"

#include <pthread.h>

#include <system_error>
#include <unordered_map>

#include "fdk/host.h"
#include "mlp/translate.h"
#include "output/prologue.h"

namespace pendra::driver {

ChannelT AlongsideTranslation::makeBodyChannel() {
  return fdk::makeSharedPassChannel(&AlongsideTranslation::publish, this);
}

bool AlongsideTranslation::start(ChannelT body, const char* versionText) {
  body_ = body;
  try {
    // The thread starts with the cleanup signals held, and keeps them so: only the main thread
    // takes them, which holds them itself while it makes and registers a file.
    fdk::CleanupSignalsHeld held;
    thread_ = std::thread([this, versionText] { run(versionText); });
  } catch (const std::system_error&) {
    // Nobody reads the channel: a writer past the memory limit must not wait for a reader.
    fdk::readerDone(body);
    return false;
  }
  return true;
}

void AlongsideTranslation::run(const char* versionText) {
  pthread_setname_np(pthread_self(), kThreadName);
  // Messages would come out of order, and with lines of the body alone: a translation that has
  // any is done again from the finished file, which gives them as they should be.
  fdk::ConsoleHeld held;
  try {
    result_ = mlp::translateAlongside(body_, versionText, *this);
  } catch (...) {
    failed_ = true;
  }
  if (held.count() > 0) failed_ = true;
  fdk::readerDone(body_);
}

// On the first stage's thread, before a chunk of the body goes over.
void AlongsideTranslation::publish(void* self) {
  auto* me = static_cast<AlongsideTranslation*>(self);
  std::vector<output::Definition> fresh;
  output::takeNewDefinitions(fresh);
  if (fresh.empty()) return;
  std::lock_guard<std::mutex> held(me->lock_);
  for (output::Definition& d : fresh) {
    me->sent_.push_back({d.name, d.text, d.place});
    me->arrived_.push_back({std::move(d.name), std::move(d.text), d.place});
  }
}

void AlongsideTranslation::takeArrived(std::vector<mlp::SentDefinition>& into) {
  std::lock_guard<std::mutex> held(lock_);
  for (mlp::SentDefinition& d : arrived_) into.push_back(std::move(d));
  arrived_.clear();
}

mlp::PrologueShape AlongsideTranslation::prologueShape() {
  std::lock_guard<std::mutex> held(lock_);
  return prologue_;
}

void AlongsideTranslation::endBody(mlp::PrologueShape prologue) {
  {
    std::lock_guard<std::mutex> held(lock_);
    prologue_ = std::move(prologue);
  }
  fdk::endSharedWriting(body_);
}

bool AlongsideTranslation::finish() {
  if (thread_.joinable()) thread_.join();
  bool abandoned = fdk::sharingAbandoned(body_);
  if (abandoned || failed_ || !result_.usable) return false;
  // Every definition went over as the finished prologue writes it, each name once.
  std::vector<output::Definition> final = output::prologueDefinitions();
  if (final.size() != sent_.size()) return false;
  std::unordered_map<std::string, const std::string*> written;
  for (const output::Definition& d : final)
    if (!written.emplace(d.name, &d.text).second) return false;
  for (const mlp::SentDefinition& d : sent_) {
    auto found = written.find(d.name);
    if (found == written.end() || *found->second != d.text) return false;
    written.erase(found);
  }
  return true;
}

void AlongsideTranslation::stop() {
  if (!thread_.joinable()) return;
  fdk::abandonSharing(body_);
  thread_.join();
}

}  // namespace pendra::driver
