#pragma once

#include <cstdint>

#include "secret_service/bus_value.h"
#include "secret_service/protocol_context.h"

// Unlock's prompt: Prompt() shows the window's log-in; the prompt
// completes with what it unlocked once the user logs in, and is dismissed
// when the log-in closes without. Only its client starts or dismisses it.
class PromptObject {
 public:
  explicit PromptObject(ProtocolContext& context) : context_(context) {}

  void Prompt(const BusCall& call, uint64_t number);
  void Dismiss(const BusCall& call, uint64_t number);
  // The safe opened (or the log-in ended without): every started prompt completes.
  void CompleteStarted(bool unlocked);

 private:
  // False (and AccessDenied sent) for another client's prompt.
  bool Owns(const BusCall& call, uint64_t number);
  void Complete(uint64_t number, bool dismissed, ObjectPaths result);

  ProtocolContext& context_;
};
