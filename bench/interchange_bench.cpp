// Importing 100,000 entries from each format, in entries per second: the
// whole import up to the entry lines the safe saves (read, map, check, skip
// what the safe holds) next to the format's bare parser over the same file.
// The one save that follows is safe_bench's.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "bench/ratio_reporter.h"
#include "interchange/csv_table.h"
#include "interchange/import_file.h"

namespace {

constexpr int kEntries = 100000;

// Entries like real ones: a title, a user name and a 20-character password.
void MakeEntries(cpStringArray& entries) {
  for (int i = 0; i < kEntries; ++i) {
    std::string n = std::to_string(i);
    entries.Add(("Account " + n + "\tuser" + n + "@example.com\tP4ss-" + n + "-wOrd-xyzzy!!").c_str());
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

const std::string& FileText(const std::string& format) {
  static std::map<std::string, std::string> files;
  std::string& text = files[format];
  if (text.empty()) {
    if (format == "chrome-csv" || format == "firefox-csv") {
      text = BrowserCsv(format == "firefox-csv");
    } else {
      cpStringArray entries;
      MakeEntries(entries);
      std::string error;
      FindInterchangeFormat(format)->write(entries, &text, &error);
    }
  }
  return text;
}

void BM_Import(benchmark::State& state, std::string format) {
  const std::string& text = FileText(format);
  cpStringArray safe;
  safe.Add("Bank\tjdoe\ts3cr3t");
  for (auto _ : state) {
    ImportPlan plan;
    std::string error;
    if (!PlanImportText(text, "", &plan, &error) || plan.Problems().size() != 0) state.SkipWithError(error.c_str());
    plan.SkipExisting(safe);
    if (plan.Lines().GetCount() != kEntries) state.SkipWithError("entries lost");
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
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
      CsvTable table;
      CsvTable::Error error;
      ok = table.Parse(text, &error);
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
