#include "cli/cli_main.h"

#include <cstdio>
#include <string>

#include "cli/cli_help.h"
#include "cli/cli_session.h"
#include "cli/command_table.h"

int RunCli(int argc, const char* const* argv, FILE* out, FILE* errors, const StrongSafeParams& newSafeParams,
           int64_t (*utcNow)()) {
  CliArguments arguments;
  std::string error;
  if (!ParseCliArguments(argc, argv, &arguments, &error)) {
    PrintCliMessage(errors, (error + " (--help shows how to use quillbox-cli)").c_str());
    return kExitBadArguments;
  }
  const CliCommandRow* command = FindCliCommand(arguments.command);
  if (command == nullptr || command->run == nullptr) {
    fputs(CliHelpText().c_str(), out);
    return kExitOk;
  }
  CliSession session(arguments, out, errors);
  session.app().SetNewSafeParams(newSafeParams);
  session.SetClock(utcNow);
  ExitStatus status = session.UseSafeFolder();
  if (status != kExitOk) return status;
  return command->run(session);
}
