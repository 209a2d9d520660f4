#include "cli/import_command.h"

#include "cli/safe_diagnosis.h"
#include "core/heapstring.h"
#include "interchange/import_file.h"
#include "safe/safe_lock.h"
#include "safe/safe_store.h"

namespace {

// All or nothing: every entry that cannot be stored is listed, and unless
// --skip-invalid is given nothing is imported.
ExitStatus ReportProblems(CliSession& session, const ImportPlan& plan) {
  const CliArguments& arguments = session.arguments();
  const std::vector<std::string>& problems = plan.Problems();
  if (problems.empty()) return kExitOk;
  // Only the first problems are kept; the rest are counted.
  std::string more;
  if (plan.ProblemCount() > problems.size()) {
    more = arguments.file + ": and " + std::to_string(plan.ProblemCount() - problems.size()) + " more";
  }
  if (arguments.skip_invalid) {
    for (const std::string& problem : problems) session.Warn(arguments.file + ": " + problem + " (skipped)");
    if (!more.empty()) session.Warn(more + " (skipped)");
    return kExitOk;
  }
  constexpr char kNothingImported[] = "nothing was imported; --skip-invalid imports the other entries";
  if (plan.ProblemCount() == 1) {
    return session.Fail(kExitBadArguments, arguments.file + ": " + problems[0] + " (" + kNothingImported + ")");
  }
  for (const std::string& problem : problems) session.Warn(arguments.file + ": " + problem);
  if (!more.empty()) session.Warn(more);
  return session.Fail(kExitBadArguments, arguments.file + ": " + std::to_string(plan.ProblemCount()) +
                                             " records cannot be imported; " + kNothingImported);
}

bool AppendLines(cpStringArray& lines, cpStringArray& entries) {
  while (lines.GetCount() > 0) {
    char* line = lines.Detach(0);
    if (entries.AddOwned(line) == nullptr) {
      WipeAndFree(line);
      return false;
    }
  }
  return true;
}

}  // namespace

ExitStatus RunImport(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  if (arguments.file == "-" && arguments.password_stdin) {
    return session.Fail(kExitBadArguments, "import from standard input cannot be combined with --password-stdin");
  }
  ExitStatus status = session.CheckUserName();
  if (status != kExitOk) return status;
  // The file is read and checked before the password is asked.
  ImportText text;
  ImportPlan plan;
  std::string error;
  if (!ReadImportText(arguments.file, &text, &error)) return session.Fail(kExitBadArguments, error);
  if (!PlanImportText(text.bytes, arguments.format, &plan, &error)) {
    return session.Fail(kExitBadArguments, arguments.file + ": " + error);
  }
  status = ReportProblems(session, plan);
  if (status == kExitOk) status = session.CheckSafeExists();
  if (status != kExitOk) return status;
  SecretText password;
  status = session.ReadSafePassword(kSafePasswordPrompt, &password);
  if (status != kExitOk) return status;
  // Held from the load until after the save, so no change made elsewhere in
  // between is lost; not while the password is typed.
  SafeLock lock;
  if (!arguments.dry_run && lock.AcquireWaiting(session.user()) == SafeLock::Result::kHeldElsewhere) {
    return session.FailLocked();
  }
  cpStringArray entries;
  entries.SetWipeOnRelease(true);
  if (status == kExitOk) {
    SafeOpenResult loaded = LoadSafeForCli(session.user(), password.c_str(), entries);
    if (loaded.status != kExitOk) status = session.Fail(loaded.status, loaded.message);
  }
  if (status != kExitOk) return status;
  plan.SkipExisting(entries);
  ImportStage stage = arguments.dry_run ? ImportStage::kPreview : ImportStage::kDone;
  if (!arguments.dry_run && plan.Lines().GetCount() > 0) {
    if (!AppendLines(plan.Lines(), entries)) return session.Fail(kExitFailure, "out of memory; nothing was imported");
    if (!SaveSafe(session.user(), password.c_str(), entries)) {
      return session.Fail(kExitFailure, "The safe could not be saved; the file keeps its previous contents");
    }
  }
  std::string summary = FormatImportSummary(plan.Summary(), stage);
  fputs(summary.c_str(), session.out());
  return fflush(session.out()) == 0 ? kExitOk : kExitFailure;
}
