#pragma once
// Timing for the benchmark programs: runs a piece of work a number of times, each run timed on its
// own with the performance counter, and prints one line of figures per measurement.

#include <string>
#include <vector>

struct TBenchFigure {
    std::string Name;
    int Runs = 0;
    double MeanMicros = 0;
    double MedianMicros = 0;
    double MinMicros = 0;
    double MaxMicros = 0;
};

// Microseconds from a fixed point.
double BenchNowMicros();

// The folder of the running benchmark program, with trailing "\".
std::string BenchProgramFolder();

// Figures of the given run times (microseconds).
TBenchFigure SummariseRuns(const std::string& name, std::vector<double> micros);

// Times `body` `runs` times after one untimed run that warms caches and first-use paths up.
template <typename F>
TBenchFigure MeasureRuns(const std::string& name, int runs, F body) {
    body();
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const double start = BenchNowMicros();
        body();
        micros.push_back(BenchNowMicros() - start);
    }
    return SummariseRuns(name, std::move(micros));
}

// The icon counts of a benchmark's command line (100 and 1000 when none is given); false, with a
// message, for an argument that is no count from 1 to 100000.
bool ParseIconCounts(int argc, char** argv, std::vector<unsigned>& counts);

void PrintFigureHeader();
// One line: the group (e.g. the icon count), the measurement and its figures.
void PrintFigure(const std::string& group, const TBenchFigure& figure);
