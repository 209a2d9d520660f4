#pragma once

#include "secret_service/access_gate.h"

// What the Secret Service puts to the user: a program's request (the
// answer comes back through the gate), and the log-in that Unlock's prompt
// shows (it ends in SecretServiceProtocol::LogInEnded).
class SecretAsker : public AccessAsker {
 public:
  // Brings the window up with its log-in, or forward when one is open already.
  virtual void AskLogIn() = 0;
};
