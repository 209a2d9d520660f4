#include "cli/report_command.h"

#include <cstdio>
#include <string>

#include "cli/command_output.h"
#include "health/breach_list.h"
#include "health/health_report.h"

namespace {

constexpr char kTextHeader[] = "Title\tUser name\tStrength\tReused\tAge (days)\tBreached\n";
constexpr char kCsvHeader[] = "\"Title\",\"User name\",\"Strength\",\"Bits\",\"Reused\",\"Age (days)\",\"Breached\"\n";

// An unknown number: "-" in text, an empty cell in CSV.
std::string Number(int64_t value, bool csv) { return value >= 0 ? std::to_string(value) : (csv ? "" : "-"); }

void AppendTextRow(CommandOutput& output, const Entry& entry, const EntryHealth& row) {
  (output.Field(entry.title.view()) << "\t").Field(entry.userName.view());
  output << "\t" << StrengthText(row.strength) << "\t" << std::to_string(row.reused) << "\t"
         << Number(row.ageDays, false) << "\t" << Number(row.breached, false) << "\n";
}

void AppendCsvRow(CommandOutput& output, const Entry& entry, const EntryHealth& row) {
  char bits[32];
  std::snprintf(bits, sizeof(bits), "%.1f", row.strength.bits);
  (output.CsvField(entry.title.view()) << ",").CsvField(entry.userName.view());
  output << ",\"" << StrengthClassName(row.strength.strength) << "\"," << bits << "," << std::to_string(row.reused)
         << "," << Number(row.ageDays, true) << "," << Number(row.breached, true) << "\n";
}

}  // namespace

ExitStatus RunReport(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  bool csv = arguments.format == "csv";
  if (!csv && !arguments.format.empty() && arguments.format != "text") {
    return session.Fail(kExitBadArguments, "report --format takes text or csv");
  }
  EntryList entries;
  ExitStatus status = session.LoadForReading(entries);
  if (status != kExitOk) return status;
  BreachList breaches;
  std::string breachError;
  if (!arguments.hibp_file.empty()) breachError = breaches.Open(arguments.hibp_file);
  HealthReport report = MakeHealthReport(entries.entries, session.UtcNow(), &breaches);
  if (breachError.empty()) breachError = report.breachError;

  CommandOutput output;
  output << (csv ? kCsvHeader : kTextHeader);
  bool attention = false;
  for (const EntryHealth& row : report.rows) {
    const Entry& entry = entries.entries[row.entryIndex];
    csv ? AppendCsvRow(output, entry, row) : AppendTextRow(output, entry, row);
    attention = attention || NeedsAttention(row);
  }
  status = output.WriteTo(session);
  if (status != kExitOk) return status;
  if (!breachError.empty()) return session.Fail(kExitFailure, breachError + " Breached counts are left out.");
  return attention ? kExitFailure : kExitOk;
}
