#include "cli/import_command.h"

#include "cli/file_key_input.h"
#include "interchange/import_file.h"

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

// The plan of the whole file, its problems told; key is null for a file
// no password protects.
ExitStatus PlanFile(CliSession& session, const ImportText& text, const FileKey* key, ImportPlan* plan) {
  const CliArguments& arguments = session.arguments();
  std::string error;
  if (!PlanImportText(text.bytes, arguments.format, plan, &error, key)) {
    return session.Fail(kExitBadArguments, arguments.file + ": " + error);
  }
  return ReportProblems(session, *plan);
}

}  // namespace

ExitStatus RunImport(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  if (arguments.file == "-" && arguments.password_stdin) {
    return session.Fail(kExitBadArguments, "import from standard input cannot be combined with --password-stdin");
  }
  ExitStatus status = session.CheckUserName();
  if (status != kExitOk) return status;
  ImportText text;
  ImportPlan plan(session.SafeFormatOnDisk());
  std::string error;
  if (!ReadImportText(arguments.file, &text, &error)) return session.Fail(kExitBadArguments, error);
  const InterchangeFormat* format = ImportFormatOf(text.bytes, arguments.format);
  if (format != nullptr) status = CheckKeyFileOption(session, format->takes_key_file, format->name);
  if (status != kExitOk) return status;
  // A plain file is read and checked before the password is asked; a
  // protected one after the safe's password, then its own.
  ImportKey need = ImportKeyNeeded(text.bytes, arguments.format);
  FileKey key;
  if (need == ImportKey::kNone) {
    status = PlanFile(session, text, nullptr, &plan);
    // Through the window's change path: the save takes the safe's lock, loads
    // a file changed since the log-in and adds the entries to that.
    if (status == kExitOk) status = session.LogInForChange();
  } else {
    status = session.LogInForChange();
    if (status == kExitOk) status = ReadImportFileKey(session, need, &key);
    if (status == kExitOk) status = PlanFile(session, text, &key, &plan);
  }
  if (status != kExitOk) return status;
  plan.SkipExisting(session.app().GetEntries());
  ImportStage stage = arguments.dry_run ? ImportStage::kPreview : ImportStage::kDone;
  if (!arguments.dry_run && !plan.Entries().empty() && !session.app().AppendEntries(plan.Entries())) {
    ExitStatus saved = session.CheckSaved();
    return saved != kExitOk ? saved : session.Fail(kExitFailure, "out of memory; nothing was imported");
  }
  std::string summary = FormatImportSummary(plan.Summary(), stage);
  fputs(summary.c_str(), session.out());
  return fflush(session.out()) == 0 ? kExitOk : kExitFailure;
}
