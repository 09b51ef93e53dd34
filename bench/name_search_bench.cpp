// The name search over 10,000 contacts, every query over the whole list, the same 10 queries
// 300 times, in processor time per query: ours; es-hangul (node) on the same names and queries with keys precomputed, which
// must find the same names for every query; and the limit, one plain memmem scan over the same
// keys packed into one buffer, which must count the same hits.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "contacts/contact_book.h"
#include "contacts/name_search_index.h"
#include "contacts/search_key.h"
#include "kit/korean_book.h"
#include "platform/base/text.h"

namespace {

namespace fs = std::filesystem;

// Lead letters of the key groups, so each query is exactly some keys.
const char* const kQueries[] = {"ㄱ", "ㅇ", "ㅅ", "ㄴ", "ㄱㅈ", "ㅇㅅ", "ㅂㅅㅇ", "ㄹㅎ", "ㅈㄷㅎ", "ㅎㅈ"};
constexpr int kQueryCount = static_cast<int>(std::size(kQueries));
constexpr int kRounds = 300;  // as many as the es-hangul side runs

std::vector<int> KeysOf(const std::string& query) {
  std::vector<int> keys;
  for (char16_t c : platform::Utf8ToUtf16(query))
    for (int d = 0; d < 10; ++d)
      if (parlo::kHangulRows[d][0] == c) keys.push_back(d);
  return keys;
}

// The 10,000 names in a loaded book; each query as its keys.
struct Search {
  std::vector<std::string> names = bench::KoreanNames(10000);
  bench::BookDevice device{bench::NamesVcf(names, false)};
  parlo::ContactBook book{device.app()};
  std::vector<std::vector<int>> keys;

  Search() {
    book.LoadContacts(false);
    for (const char* q : kQueries) keys.push_back(KeysOf(q));
  }
  // Our search for query q over the whole list, names only; the number of results. The names
  // found go to `found` (in order of name) when asked for, read while the query is still typed.
  int Run(int q, std::vector<std::string>* found = nullptr) {
    for (int k : keys[q]) book.PushKey(k);
    int n = book.RunFilter(true, false, false, true);
    if (found) {
      found->clear();
      for (int i = 0; i < n; ++i) found->push_back(platform::Utf16ToUtf8(book.EntryAt(i)->name));
      std::sort(found->begin(), found->end());
    }
    for (size_t i = 0; i < keys[q].size(); ++i) book.PopKey();
    return n;
  }
  long ResultsPerRound() {
    long found = 0;
    for (int q = 0; q < kQueryCount; ++q) found += Run(q);
    return found;
  }
};
std::unique_ptr<Search> theSearch;
Search& TheSearch() {
  if (!theSearch) theSearch = std::make_unique<Search>();
  return *theSearch;
}

void BM_NameSearch10k(benchmark::State& state) {
  Search& s = TheSearch();
  int q = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.Run(q));
    q = (q + 1) % kQueryCount;
  }
  state.counters["results_per_round"] = static_cast<double>(s.ResultsPerRound());
}
BENCHMARK(BM_NameSearch10k)->Iterations(kRounds * kQueryCount)->Unit(benchmark::kMicrosecond);

// The same keys as the index's rows, one name after another, each ended by a zero; a query as
// its letters' rows. One memmem pass per query finds every name holding it.
void BM_NameSearchMemmem10k(benchmark::State& state) {
  Search& s = TheSearch();
  std::string keys;
  for (int i = 0; i < s.book.Count(); ++i) {
    const parlo::ContactEntry* e = s.book.FullEntry(i);
    for (int p = 0; p < parlo::kSearchKeyMax && e->nameKey[p]; ++p)
      if (e->nameKey[p] != u'*') keys += static_cast<char>(parlo::NameSearchIndex::RowOfUnit(e->nameKey[p]));
    keys += '\0';
  }
  std::vector<std::string> needles;
  for (const auto& k : s.keys) {
    std::string needle;
    for (int d : k) needle += static_cast<char>(parlo::NameSearchIndex::RowOfQueryLetter(parlo::kHangulRows[d][0]));
    needles.push_back(needle);
  }
  auto count = [&keys](const std::string& needle) {
    const char* p = keys.data();
    const char* end = p + keys.size();
    int n = 0;
    while (p < end && (p = static_cast<const char*>(memmem(p, end - p, needle.data(), needle.size())))) {
      ++n;
      p = static_cast<const char*>(std::memchr(p, 0, end - p)) + 1;  // on to the next name
    }
    return n;
  };
  int q = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(count(needles[q]));
    q = (q + 1) % kQueryCount;
  }
  long found = 0;
  for (const auto& needle : needles) found += count(needle);
  state.counters["results_per_round"] = static_cast<double>(found);
  if (found != s.ResultsPerRound()) state.SkipWithError("memmem counts other hits than our search");
}
BENCHMARK(BM_NameSearchMemmem10k)->Iterations(kRounds * kQueryCount)->Unit(benchmark::kMicrosecond);

// One run of compare.mjs, timed by itself; its processor time per query is this benchmark's time
// (compare with the processor time of ours), its wall time a counter.
void BM_NameSearchEsHangul10k(benchmark::State& state) {
  Search& s = TheSearch();
  bench::TempDir data;
  {
    std::ofstream names(data.path() / "names.txt"), queries(data.path() / "queries.txt");
    for (const auto& name : s.names) names << name << "\n";
    for (const char* q : kQueries) queries << q << "\n";
  }
  const fs::path script = fs::path(PARLO_SOURCE_DIR) / "bench" / "es_hangul" / "compare.mjs";
  const std::string command = "node '" + script.string() + "' '" + data.path().string() + "' 2>/dev/null";
  nlohmann::json result;
  for (auto _ : state) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[512];
      while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
      pclose(pipe);
    }
    result = nlohmann::json::parse(out, nullptr, false);
    if (!result.is_object() || !result.contains("cpu_ns_per_query")) {
      state.SkipWithError("es-hangul not run: needs node, and npm ci in bench/es_hangul");
      return;
    }
    state.SetIterationTime(result["cpu_ns_per_query"].get<double>() * 1e-9);
  }
  state.counters["wall_ns_per_query"] = result["ns_per_query"].get<double>();
  state.counters["results_per_round"] = result["results_per_round"].get<double>();
  // The same names for every query, not only as many.
  std::ifstream hits(data.path() / "hits.txt");
  std::string line;
  int differing = 0;
  for (int q = 0; q < kQueryCount; ++q) {
    std::vector<std::string> theirs;
    if (std::getline(hits, line)) {
      std::istringstream numbers(line);
      for (size_t i; numbers >> i;) theirs.push_back(i < s.names.size() ? s.names[i] : "?");
    }
    std::sort(theirs.begin(), theirs.end());
    std::vector<std::string> ours;
    s.Run(q, &ours);
    if (theirs != ours) ++differing;
  }
  state.counters["queries_differing"] = differing;
  if (differing) state.SkipWithError("es-hangul found other names than our search");
}
BENCHMARK(BM_NameSearchEsHangul10k)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  theSearch.reset();  // the book and its device go before the platform's own statics
  return 0;
}
