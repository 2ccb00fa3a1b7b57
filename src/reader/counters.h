// Counters and length registers, kept as command records in the symbol table.
#pragma once

#include <cstdint>
#include <string>

#include "reader/symbols.h"

namespace pendra::reader {

// The built-in counters (with their \the-commands) and lengths; part of the symbol table reset.
void createBuiltinCountersAndLengths();

void newCounter(const std::string& name);
CommandRecord* findCounter(const std::string& name);
void setCounter(const std::string& name, std::int32_t value);
void addToCounter(const std::string& name, std::int32_t delta);
std::int32_t getCounter(const std::string& name);

void newLength(const std::string& name, float value = 0.0f);
CommandRecord* findLength(const std::string& name);
void setLength(const std::string& name, float value);
void addToLength(const std::string& name, float delta);
float getLength(const std::string& name);

// %c and %L: the first letter of the argument selects the operation.
void CounterProc(const char* arg);
void LengthProc(const char* arg);

}  // namespace pendra::reader
