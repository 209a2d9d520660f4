#include "cli/generate_command.h"

#include <string.h>

#include "crypto/password_generator.h"

ExitStatus RunGenerate(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  PasswordOptions options;
  options.length = arguments.length;
  if (arguments.no_symbols) options.classes &= ~kPasswordSymbols;
  options.avoidLookAlikes = arguments.no_lookalikes;
  char password[kGeneratedLengthMax + 2];
  bool written = true;
  for (int i = 0; i < arguments.count && written; ++i) {
    if (!GeneratePassword(options, password, sizeof password)) {
      return session.Fail(kExitFailure, "the system gave no random numbers");
    }
    const size_t length = strlen(password);
    password[length] = '\n';
    written = fwrite(password, 1, length + 1, session.out()) == length + 1;
    explicit_bzero(password, sizeof password);
  }
  if (written && fflush(session.out()) == 0 && !ferror(session.out())) return kExitOk;
  return session.Fail(kExitFailure, "standard output could not be written");
}
