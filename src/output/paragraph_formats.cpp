#include "output/paragraph_formats.h"

#include "reader/report.h"

namespace pendra::output {

namespace {

FormatRegistry registry;

std::optional<std::string> optionalText(const char* text) {
  if (!text) return std::nullopt;
  return std::string(text);
}

}  // namespace

FormatRegistry& formatRegistry() {
  return registry;
}

void initParagraphFormats() {
  registry = FormatRegistry{};
  for (const ParagraphFormat& row : kParagraphFormats) registerFormat(makeFormat(row));
}

RegisteredFormat makeFormat(const ParagraphFormat& row) {
  RegisteredFormat f;
  f.name = row.name;
  f.font = row.font;
  f.alignment = row.alignment;
  f.leftIndent = row.leftIndent;
  f.firstIndent = row.firstIndent;
  f.rightIndent = row.rightIndent;
  f.leading = row.leading;
  f.spaceBefore = row.spaceBefore;
  f.spaceAfter = row.spaceAfter;
  f.flags = row.flags;
  f.numberFormat = optionalText(row.numberFormat);
  f.tabSettings = optionalText(row.tabSettings);
  f.numberFont = optionalText(row.numberFont);
  return f;
}

void registerFormat(RegisteredFormat format) {
  RegisteredFormat& added = registry.formats.emplace_back(std::move(format));
  added.index = registry.formats.size() - 1;
  registry.newest[added.name] = &added;
}

RegisteredFormat* newestFormat(const char* name) {
  auto found = registry.newest.find(name);
  return found == registry.newest.end() ? nullptr : found->second;
}

RegisteredFormat* findParagraphFormat(const char* name) {
  if (RegisteredFormat* format = newestFormat(name)) {
    if (!format->used) registry.newlyUsed.push_back(format);
    format->used = true;
    return format;
  }
  reader::report("paragraph tag %s not registered\n", name);
  return nullptr;
}

std::vector<RegisteredFormat*> takeNewlyUsedFormats() {
  std::vector<RegisteredFormat*> taken;
  taken.swap(registry.newlyUsed);
  return taken;
}

void resetFormatCursor() {
  registry.cursor = 0;
}

RegisteredFormat* nextFormat(bool all) {
  while (registry.cursor < registry.formats.size()) {
    RegisteredFormat& f = registry.formats[registry.formats.size() - 1 - registry.cursor++];
    if (all || f.used) return &f;
  }
  return nullptr;
}

}  // namespace pendra::output
