// Encoding and decoding a 50 MB handheld spreadsheet, beside memcpy of the same
// bytes in the same run.
#include "SheafContainer.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kDocumentBytes = 50u << 20;

// Cell stream records are cut below 60000 bytes, so a large document is mostly
// records of about that size.
const sheaf::SheafDocument& largeDocument() {
    static const sheaf::SheafDocument document = [] {
        sheaf::SheafDocument d;
        uint32_t value = 1;
        for (size_t total = 0; total < kDocumentBytes;) {
            sheaf::RecordBuffer record;
            for (int i = 0; i < 14990; ++i) {
                record.appendWord(value = value * 1664525u + 1013904223u);
            }
            total += static_cast<size_t>(record.size());
            d.append(std::move(record));
        }
        return d;
    }();
    return document;
}

const std::vector<uint8_t>& largeFile() {
    static const std::vector<uint8_t> bytes = sheaf::encodeDocument(largeDocument());
    return bytes;
}

void Memcpy(benchmark::State& state) {
    const std::vector<uint8_t>& source = largeFile();
    std::vector<uint8_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

// Into a sink whose storage is reused, as a file writer reuses its buffer: the
// peer copies into warm memory too.
void Encode(benchmark::State& state) {
    const sheaf::SheafDocument& document = largeDocument();
    sheaf::VectorSink sink;
    sink.bytes().reserve(sheaf::encodedSize(document));
    for (auto _ : state) {
        sink.bytes().clear();
        if (sheaf::encodeDocument(document, sink) != 0) {
            state.SkipWithError("encode failed");
        }
        benchmark::DoNotOptimize(sink.bytes().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * largeFile().size()));
}

// A decoder must put the records into new memory: this peer pays for that too.
void MemcpyIntoNewBuffer(benchmark::State& state) {
    const std::vector<uint8_t>& source = largeFile();
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> target(new uint8_t[source.size()]);
        std::memcpy(target.get(), source.data(), source.size());
        benchmark::DoNotOptimize(target.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

void Decode(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = largeFile();
    for (auto _ : state) {
        sheaf::SheafDocument document;
        if (sheaf::decodeDocument(bytes, document) != 0) {
            state.SkipWithError("decode failed");
        }
        benchmark::DoNotOptimize(document.records().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// The same decode with a heap that keeps freed memory, as in a long-running
// process that converts one document after another: the records' memory is
// then reused instead of being returned to the system and faulted in again.
void DecodeWarmHeap(benchmark::State& state) {
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    Decode(state);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
}

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MemcpyIntoNewBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Encode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Decode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DecodeWarmHeap)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints each run as usual, then each throughput as a ratio to memcpy's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end()) {
                throughput_[run.benchmark_name()] = it->second.value;
            }
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double peer = throughput_["Memcpy/real_time"];
        for (const auto& [name, bytesPerSecond] : throughput_) {
            std::printf("%-30s %9.1f MB/s  %.3f of memcpy\n", name.c_str(), bytesPerSecond / 1e6,
                        peer > 0 ? bytesPerSecond / peer : 0.0);
        }
    }

private:
    std::map<std::string, double> throughput_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
