#pragma once

#include <cstdint>

#include "secret_service/bus_value.h"
#include "secret_service/protocol_context.h"

// A client's session: how its secrets cross the bus. Only its client closes it.
class SessionObject {
 public:
  explicit SessionObject(ProtocolContext& context) : context_(context) {}

  void Close(const BusCall& call, uint64_t number);

 private:
  ProtocolContext& context_;
};
