#include "BenchTiming.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>

double BenchNowMicros() {
    static const double ticksPerMicro = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e6;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMicro;
}

TBenchFigure SummariseRuns(const std::string& name, std::vector<double> micros) {
    TBenchFigure figure;
    figure.Name = name;
    figure.Runs = static_cast<int>(micros.size());
    if (micros.empty()) {
        return figure;
    }
    std::sort(micros.begin(), micros.end());
    figure.MeanMicros =
        std::accumulate(micros.begin(), micros.end(), 0.0) / static_cast<double>(micros.size());
    figure.MedianMicros = micros[micros.size() / 2];
    figure.MinMicros = micros.front();
    figure.MaxMicros = micros.back();
    return figure;
}

namespace {

// Microseconds below 10 ms, milliseconds above.
std::string FormatDuration(double micros) {
    char text[32];
    if (micros < 10000) {
        std::snprintf(text, sizeof text, "%.1f us", micros);
    } else {
        std::snprintf(text, sizeof text, "%.1f ms", micros / 1000);
    }
    return text;
}

} // namespace

void PrintFigureHeader() {
    std::printf("%-8s %-44s %6s %12s %12s %12s %12s\n", "group", "measurement", "runs", "mean", "median",
                "min", "max");
}

void PrintFigure(const std::string& group, const TBenchFigure& figure) {
    std::printf("%-8s %-44s %6d %12s %12s %12s %12s\n", group.c_str(), figure.Name.c_str(), figure.Runs,
                FormatDuration(figure.MeanMicros).c_str(), FormatDuration(figure.MedianMicros).c_str(),
                FormatDuration(figure.MinMicros).c_str(), FormatDuration(figure.MaxMicros).c_str());
    std::fflush(stdout);
}

bool ParseIconCounts(int argc, char** argv, std::vector<unsigned>& counts) {
    counts.clear();
    for (int i = 1; i < argc; ++i) {
        const long count = std::strtol(argv[i], nullptr, 10);
        if (count <= 0 || count > 100000) {
            std::fprintf(stderr, "not an icon count: %s\n", argv[i]);
            return false;
        }
        counts.push_back(static_cast<unsigned>(count));
    }
    if (counts.empty()) {
        counts = {100, 1000};
    }
    return true;
}

std::string BenchProgramFolder() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string text = path;
    return text.substr(0, text.find_last_of('\\') + 1);
}
