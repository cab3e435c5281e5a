#include "OptionTable.h"

#include <utility>

TOptions DefaultOptions() {
    TOptions options{};
    for (const TOptionRow& row : OptionTable) {
        options.*row.Member = row.Default;
    }
    return options;
}

void ApplyOptionRow(const TOptionRow& row, std::string_view text, TOptions& options) {
    uint8_t& value = options.*row.Member;
    if (ApplyOptionText(text, value) && row.OutOfRange == TOutOfRange::Default &&
        (value < row.Min || value > row.Max)) {
        value = row.Default;
    }
}

void ReadOptionTexts(const TOptionTextReader& read, TOptions& options) {
    for (const TOptionRow& row : OptionTable) {
        ApplyOptionRow(row, read(row.Key), options);
    }
    for (const TPathOptionRow& row : PathOptionTable) {
        std::string text = read(row.Key);
        options.*row.Member = text == MissingOptionText ? std::string() : std::move(text);
    }
}

void WriteOptionTexts(const TOptionTextWriter& write, const TOptions& options) {
    for (const TOptionRow& row : OptionTable) {
        write(row.Key, std::to_string(static_cast<unsigned>(options.*row.Member)));
    }
    for (const TPathOptionRow& row : PathOptionTable) {
        write(row.Key, options.*row.Member);
    }
}
