#include "secret_service/session_object.h"

void SessionObject::Close(const BusCall& call, uint64_t number) {
  if (!context_.objects.CloseSession(call.sender, number)) {
    context_.bus.Fail(call, kAccessDeniedError, "Not your session");
    return;
  }
  context_.bus.Reply(call, {});
}
