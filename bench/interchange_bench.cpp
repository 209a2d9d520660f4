// Importing 100,000 entries from each format, in entries per second: the
// whole import up to the entry lines the safe saves (read, map, check, skip
// what the safe holds) next to the format's bare parser over the same file.
// The one save that follows is safe_bench's.
//
// Each import also reports peak_memory_per_file_byte: the most memory the
// import held at once beyond what was there before (the resident set's
// peak, reset through /proc/self/clear_refs), over the file's size. A file
// of blank rows, which keeps no entry, shows the cost of reading alone.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "bench/ratio_reporter.h"
#include "interchange/csv_reader.h"
#include "interchange/import_file.h"

namespace {

constexpr int kEntries = 100000;
constexpr char kBlankRows[] = "blank-rows";

// A size in bytes from /proc/self/status ("VmRSS", "VmHWM"); 0 when unknown.
size_t StatusBytes(const char* field) {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return 0;
  char line[256];
  size_t kib = 0;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, field, std::strlen(field)) == 0 && line[std::strlen(field)] == ':') {
      kib = std::strtoull(line + std::strlen(field) + 1, nullptr, 10);
    }
  }
  std::fclose(status);
  return kib * 1024;
}

// Sets the resident set's peak to its present size; false where the
// kernel does not allow it.
bool ResetPeakMemory() {
  FILE* refs = std::fopen("/proc/self/clear_refs", "w");
  if (refs == nullptr) return false;
  bool reset = std::fputs("5", refs) >= 0;
  return std::fclose(refs) == 0 && reset;
}

Entry EntryOf(std::string title, std::string userName, std::string password) {
  Entry entry;
  entry.title = title;
  entry.userName = userName;
  entry.password = password;
  return entry;
}

// One import from the text to the entries; false with the reason.
bool ImportOnce(const std::string& text, size_t expected, std::string* error) {
  std::vector<Entry> safe;
  safe.push_back(EntryOf("Bank", "jdoe", "s3cr3t"));
  ImportPlan plan(SafeFormat::kStrong);
  if (!PlanImportText(text, "", &plan, error)) return false;
  plan.SkipExisting(safe);
  if (plan.Entries().size() != expected) *error = "entries lost";
  return plan.Entries().size() == expected;
}

// Entries like real ones: a title, a user name and a 20-character password.
void MakeEntries(std::vector<Entry>& entries) {
  for (int i = 0; i < kEntries; ++i) {
    std::string n = std::to_string(i);
    entries.push_back(EntryOf("Account " + n, "user" + n + "@example.com", "P4ss-" + n + "-wOrd-xyzzy!!"));
  }
}

// The browsers' files are only read, so they are written here by hand.
std::string BrowserCsv(bool firefox) {
  std::string text = firefox ? "\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\","
                               "\"timeCreated\",\"timeLastUsed\",\"timePasswordChanged\"\r\n"
                             : "name,url,username,password,note\n";
  for (int i = 0; i < kEntries; ++i) {
    std::string n = std::to_string(i);
    std::string url = "https://site" + n + ".example.com/login";
    if (firefox) {
      text += "\"" + url + "\",\"user" + n + "@example.com\",\"P4ss-" + n + "-wOrd-xyzzy!!\",,\"" + url + "\",\"{" + n +
              "}\",\"1700000000000\",\"1700000000000\",\"1700000000000\"\r\n";
    } else {
      text += "Account " + n + "," + url + ",user" + n + "@example.com,P4ss-" + n + "-wOrd-xyzzy!!,\n";
    }
  }
  return text;
}

// The safe's own CSV with rows of empty fields, none of which is an entry.
std::string BlankRows() {
  std::string text = "Description,Username,Password\n";
  for (int i = 0; i < kEntries; ++i) text += ",,\n";
  return text;
}

const std::string& FileText(const std::string& format) {
  static std::map<std::string, std::string> files;
  std::string& text = files[format];
  if (text.empty()) {
    if (format == kBlankRows) {
      text = BlankRows();
    } else if (format == "chrome-csv" || format == "firefox-csv") {
      text = BrowserCsv(format == "firefox-csv");
    } else {
      std::vector<Entry> entries;
      MakeEntries(entries);
      std::string error;
      FindInterchangeFormat(format)->write(entries, &text, &error);
    }
  }
  return text;
}

void BM_Import(benchmark::State& state, std::string format) {
  const std::string& text = FileText(format);
  size_t expected = format == kBlankRows ? 0 : kEntries;
  std::string error;
  for (auto _ : state) {
    if (!ImportOnce(text, expected, &error)) state.SkipWithError(error.c_str());
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
  // Measured apart from the timed runs, with the heap handed back first so
  // that the peak is this import's own.
  malloc_trim(0);
  size_t before = StatusBytes("VmRSS");
  if (ResetPeakMemory() && before != 0 && ImportOnce(text, expected, &error)) {
    size_t peak = StatusBytes("VmHWM");
    state.counters["peak_memory_per_file_byte"] =
        static_cast<double>(peak > before ? peak - before : 0) / static_cast<double>(text.size());
  }
}

void BM_Parser(benchmark::State& state, std::string format) {
  const std::string& text = FileText(format);
  for (auto _ : state) {
    bool ok;
    if (format == "keepass-xml") {
      XML_Parser parser = XML_ParserCreate("UTF-8");
      ok = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
      XML_ParserFree(parser);
    } else if (format == "bitwarden-json") {
      ok = nlohmann::json::accept(text);
    } else {
      CsvReader reader(text);
      CsvReader::Error error;
      CsvReader::Step step;
      while ((step = reader.Next(&error)) == CsvReader::Step::kRecord) {}
      ok = step == CsvReader::Step::kEnd;
    }
    if (!ok) state.SkipWithError("parser refused the file");
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

const char* const kFormats[] = {"quillbox-csv",   "keepassxc-csv", "keepass-xml", "bitwarden-csv",
                                "bitwarden-json", "chrome-csv",    "firefox-csv"};

}  // namespace

int main(int argc, char** argv) {
  for (const char* format : kFormats) {
    benchmark::RegisterBenchmark((std::string("BM_Import/") + format).c_str(), BM_Import, format)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_Parser/") + format).c_str(), BM_Parser, format)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark((std::string("BM_Import/") + kBlankRows).c_str(), BM_Import, kBlankRows)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("items_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("Import rate against the bare parser's over the same file (1.0 = no cost beyond parsing):\n");
  for (const char* format : kFormats) {
    reporter.PrintRatio(format, std::string("BM_Import/") + format, std::string("BM_Parser/") + format);
  }
  benchmark::Shutdown();
  return 0;
}
