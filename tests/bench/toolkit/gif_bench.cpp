// Decoding throughput of the program's GIF reader and of giflib (DGifSlurp from memory through
// a read callback) on the same giflib-encoded images, with the time ratio printed at the end.
// Both runs do the whole job: read the header and colour table, allocate the index buffer,
// decode every pixel.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "gif_support.h"
#include "toolkit/gif.h"

using namespace gif_support;

namespace {

struct Sample {
    const char* name;
    Image image;
    Bytes gif;
};

std::vector<Sample>& Samples() {
    static std::vector<Sample> samples = [] {
        std::vector<Sample> s;
        auto add = [&](const char* name, Image image) {
            Bytes gif = EncodeWithGiflib(image);
            s.push_back(Sample{name, std::move(image), std::move(gif)});
        };
        add("menu_16x16_16c", MakeImage(16, 16, 16, Pattern::Runs));
        add("noise_256x256_16c", MakeImage(256, 256, 16, Pattern::Noise));
        add("noise_512x512_256c", MakeImage(512, 512, 256, Pattern::Noise));
        add("gradient_640x480_256c", MakeImage(640, 480, 256, Pattern::Gradient));
        add("runs_1024x768_32c", MakeImage(1024, 768, 32, Pattern::Runs));
        add("stripes_800x600_64c", MakeImage(800, 600, 64, Pattern::Stripes));
        return s;
    }();
    return samples;
}

void Ours(benchmark::State& state, const Sample* sample) {
    for (auto _ : state) {
        GifLayout layout;
        if (!ReadGifLayout(sample->gif, layout)) state.SkipWithError("layout");
        Bytes indices(std::size_t{layout.width} * layout.height);
        benchmark::DoNotOptimize(DecodeGifImage(layout.imageData, indices));
        benchmark::DoNotOptimize(indices.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * sample->image.indices.size()));
}

void Giflib(benchmark::State& state, const Sample* sample) {
    for (auto _ : state) {
        ReadState input{sample->gif};
        int error = 0;
        GifFileType* file = DGifOpen(&input, ReadFromBytes, &error);
        if (!file || DGifSlurp(file) != GIF_OK) state.SkipWithError("giflib");
        if (file) benchmark::DoNotOptimize(file->SavedImages[0].RasterBits);
        DGifCloseFile(file, &error);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * sample->image.indices.size()));
}

// Keeps each run's time to print giflib's time over ours per image.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const std::string name = run.benchmark_name();
            const auto slash = name.rfind('/');
            times_[name.substr(0, slash)][name.substr(slash + 1)] = run.GetAdjustedRealTime();
        }
    }
    void PrintRatios() const {
        std::printf("\n%-28s %14s\n", "image", "giflib / ours");
        for (const auto& [image, times] : times_) {
            const auto ours = times.find("vellory"), theirs = times.find("giflib");
            if (ours != times.end() && theirs != times.end())
                std::printf("%-28s %14.2f\n", image.c_str(), theirs->second / ours->second);
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
    for (const Sample& sample : Samples()) {
        const std::string base = std::string("decode/") + sample.name;
        benchmark::RegisterBenchmark((base + "/vellory").c_str(), Ours, &sample);
        benchmark::RegisterBenchmark((base + "/giflib").c_str(), Giflib, &sample);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
