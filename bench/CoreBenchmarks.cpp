// Load, export, fill and sort on the 64 MiB synthetic index file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <ostream>
#include <streambuf>

#include "bench/IndexGenerator.h"
#include "model/TallowmarkDoc.h"
#include "presentation/CsvExport.h"
#include "presentation/RecordCells.h"
#include "presentation/RecordSort.h"

namespace tallowmark::bench {
namespace {

const std::string& BenchFile() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "tallowmark-bench-64MiB.dat";
        testing::WriteFile(file.string(), GenerateIndexFile(64u << 20));
        return file.string();
    }();
    return path;
}

const TallowmarkDoc& LoadedDoc() {
    static TallowmarkDoc doc;
    static const bool loaded = doc.OnOpenDocument(BenchFile()).ok;
    (void)loaded;
    return doc;
}

class CountingBuf : public std::streambuf {
public:
    std::size_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        bytes += static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return c;
    }
};

void BM_Load(benchmark::State& state) {
    BenchFile();
    for (auto _ : state) {
        TallowmarkDoc doc;
        benchmark::DoNotOptimize(doc.OnOpenDocument(BenchFile()).ok);
        state.counters["records"] = static_cast<double>(doc.RecordCount());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(BenchFile())));
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_ExportCsv(benchmark::State& state) {
    const TallowmarkDoc& doc = LoadedDoc();
    for (auto _ : state) {
        CountingBuf sink;
        std::ostream out(&sink);
        WriteCsv(out, doc, ViewOptions{});
        state.counters["csv_bytes"] = static_cast<double>(sink.bytes);
    }
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

RowList ShownRows(const TallowmarkDoc& doc, bool viewBlank) {
    RowList rows;
    rows.reserve(doc.RecordCount());
    for (std::size_t i = 0; i < doc.RecordCount(); ++i)
        if (ViewOptions{viewBlank, true}.Shows(doc.Record(i))) rows.push_back(static_cast<std::uint32_t>(i));
    return rows;
}

void BM_FillRows(benchmark::State& state) {
    const TallowmarkDoc& doc = LoadedDoc();
    for (auto _ : state) benchmark::DoNotOptimize(ShownRows(doc, state.range(0) != 0).size());
}
BENCHMARK(BM_FillRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SortByColumn(benchmark::State& state) {
    const TallowmarkDoc& doc = LoadedDoc();
    const RowList start = ShownRows(doc, true);
    for (auto _ : state) {
        RowList rows = start;
        SortRows(doc, rows, static_cast<int>(state.range(0)), state.range(1) != 0);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_SortByColumn)->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tallowmark::bench

BENCHMARK_MAIN();
