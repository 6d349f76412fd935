// Writing and reading the step file of a 6000 x 4000 24-bit layer (72 MB of colours,
// an opaque alpha plane and an empty auxiliary plane of 24 MB each), as the history
// does (LZ4 blocks), beside the same bytes written and read as they stand. Two
// layers: a photograph (grain everywhere) and a drawing (flat colour). The counter
// `file_MB` is the size on disk. The files go to the temporary folder; the figures
// include the operating system's file cache, not the disk itself.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchPicture.h"
#include "ByteStream.h"
#include "StepStorage.h"

namespace {

struct Layer {
    LayerRecord record;
    std::string path;
    explicit Layer(bool photo) {
        record.width = 6000;
        record.height = 4000;
        record.stride = 18000;
        record.pixels.assign(size_t(18000) * 4000, 0xF0);
        record.alpha.assign(size_t(6000) * 4000, 255);
        record.aux.assign(size_t(6000) * 4000, 0);
        if (photo) FillPhotoLike(record);
        path = (std::filesystem::temp_directory_path() / (photo ? "tessaro-bench-photo.tmp" : "tessaro-bench-drawing.tmp"))
                   .string();
    }
    ~Layer() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
    StepStorage::Pieces Pieces() const {
        return {{record.pixels.data(), record.pixels.size()},
                {record.alpha.data(), record.alpha.size()},
                {record.aux.data(), record.aux.size()}};
    }
    size_t Bytes() const { return record.pixels.size() + 2 * record.alpha.size(); }
};

Layer& Shared(bool photo) {
    if (photo) {
        static Layer layer(true);
        return layer;
    }
    static Layer layer(false);
    return layer;
}

// The bytes as they stand, through the same file stream.
bool WriteRaw(const std::string& path, const StepStorage::Pieces& pieces) {
    FileStream out;
    if (!out.Open(path, "wb")) return false;
    bool ok = true;
    for (const auto& [data, size] : pieces) ok = ok && out.WriteAll(data, size);
    return out.Close() && ok;
}

void Finish(benchmark::State& state, const Layer& layer) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(layer.Bytes()));
    state.counters["file_MB"] = double(std::filesystem::file_size(layer.path)) / 1e6;
}

void StepWrite(benchmark::State& state) {
    Layer& layer = Shared(state.range(0) != 0);
    const bool lz4 = state.range(1) != 0;
    DiskStepStorage disk;
    for (auto _ : state) {
        const bool ok = lz4 ? disk.Write(layer.path, layer.Pieces()) : WriteRaw(layer.path, layer.Pieces());
        if (!ok) state.SkipWithError("the step file could not be written");
    }
    Finish(state, layer);
}

void StepRead(benchmark::State& state) {
    Layer& layer = Shared(state.range(0) != 0);
    const bool lz4 = state.range(1) != 0;
    DiskStepStorage disk;
    if (!(lz4 ? disk.Write(layer.path, layer.Pieces()) : WriteRaw(layer.path, layer.Pieces()))) {
        state.SkipWithError("the step file could not be written");
        return;
    }
    std::vector<uint8_t> back(layer.Bytes());
    for (auto _ : state) {
        std::unique_ptr<ByteStream> in;
        if (lz4) {
            in = disk.Read(layer.path);
        } else {
            auto file = std::make_unique<FileStream>();
            if (file->Open(layer.path, "rb")) in = std::move(file);
        }
        if (!in || !in->ReadExact(back.data(), back.size())) state.SkipWithError("the step file could not be read");
        benchmark::DoNotOptimize(back.data());
    }
    Finish(state, layer);
}

}  // namespace

// Arguments: photograph (1) or drawing (0), LZ4 blocks (1) or as they stand (0).
BENCHMARK(StepWrite)->ArgsProduct({{1, 0}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(StepRead)->ArgsProduct({{1, 0}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();
