#include "BackupRules.h"

#include <utility>

#include "NumberConversion.h"

namespace {

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    if (text.size() < 2) {
        text.insert(0, 1, '0');
    }
    return text;
}

// Characters of an id by position; missing characters are simply left out, so that a short id
// yields a short label instead of a fault.
std::string_view Part(std::string_view id, size_t pos, size_t length) {
    return pos < id.size() ? id.substr(pos, length) : std::string_view();
}

bool ParseDigits(std::string_view text, int& value) {
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return !text.empty();
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

} // namespace

char BackupLetter(int letterIndex) {
    switch (letterIndex) {
    case 0:
        return 'S';
    case 1:
        return 'R';
    default:
        return 0;
    }
}

std::string ResolutionKeyOf(int virtualWidth, int virtualHeight, int screenWidth, int screenHeight) {
    if (virtualWidth == 0 || virtualHeight == 0) {
        virtualWidth = screenWidth;
        virtualHeight = screenHeight;
    }
    return std::to_string(virtualWidth) + "x" + std::to_string(virtualHeight);
}

std::string FormatTimeStamp(int year, int month, int day, int hour, int minute, int second) {
    return std::to_string(year) + TwoDigits(month) + TwoDigits(day) + TwoDigits(hour) + TwoDigits(minute) +
           TwoDigits(second);
}

bool NextSecondTimeStamp(std::string_view stamp, std::string& next) {
    if (stamp.size() != TimeStampLength) {
        return false;
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ParseDigits(stamp.substr(0, 4), year) || !ParseDigits(stamp.substr(4, 2), month) ||
        !ParseDigits(stamp.substr(6, 2), day) || !ParseDigits(stamp.substr(8, 2), hour) ||
        !ParseDigits(stamp.substr(10, 2), minute) || !ParseDigits(stamp.substr(12, 2), second)) {
        return false;
    }
    if (year < 1000 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59) {
        return false;
    }
    if (++second == 60) {
        second = 0;
        if (++minute == 60) {
            minute = 0;
            if (++hour == 24) {
                hour = 0;
                if (++day > DaysInMonth(year, month)) {
                    day = 1;
                    if (++month == 13) {
                        month = 1;
                        if (++year > 9999) {
                            return false;
                        }
                    }
                }
            }
        }
    }
    next = FormatTimeStamp(year, month, day, hour, minute, second);
    return true;
}

bool BackupIdOfFileName(std::string_view fileName, std::string& id) {
    if (fileName.size() < BackupIdLength) {
        return false;
    }
    const std::string_view candidate = fileName.substr(0, BackupIdLength);
    const char letter = candidate[BackupIdLength - 1];
    if (letter != 'R' && letter != 'S') {
        return false;
    }
    int64_t ignored = 0;
    if (!TryParseInt64(candidate.substr(0, 7), ignored) || !TryParseInt64(candidate.substr(7, 7), ignored)) {
        return false;
    }
    id.assign(candidate);
    return true;
}

bool IsValidBackupId(std::string_view id) {
    if (id.size() != BackupIdLength) {
        return false;
    }
    for (size_t i = 0; i < TimeStampLength; ++i) {
        if (id[i] < '0' || id[i] > '9') {
            return false;
        }
    }
    return id[TimeStampLength] == 'R' || id[TimeStampLength] == 'S';
}

void SortBackupIdsNewestFirst(std::vector<std::string>& ids) {
    for (size_t i = 0; i + 1 < ids.size(); ++i) {
        for (size_t j = i + 1; j < ids.size(); ++j) {
            if (std::string_view(ids[i]).substr(0, TimeStampLength) <
                std::string_view(ids[j]).substr(0, TimeStampLength)) {
                std::swap(ids[i], ids[j]);
            }
        }
    }
}

std::string FormatBackupLabel(std::string_view id, uint8_t languageIndex) {
    const std::string_view year = Part(id, 0, 4);
    const std::string_view month = Part(id, 4, 2);
    const std::string_view day = Part(id, 6, 2);
    std::string label;
    if (languageIndex == 0) {
        label.append(day).append(".").append(month).append(".").append(year);
    } else {
        label.append(month).append("/").append(day).append("/").append(year);
    }
    label.append(" ").append(Part(id, 8, 2)).append(":").append(Part(id, 10, 2)).append(":");
    label.append(Part(id, 12, 2)).append(" (").append(Part(id, 14, 1)).append(")");
    return label;
}

std::string PrimaryLayoutPath(std::string_view dataFolder, std::string_view resolutionKey) {
    std::string path(dataFolder);
    return path.append("Layouts\\Layout_").append(resolutionKey).append(".kvl");
}

std::string BackupFolderPath(std::string_view dataFolder, std::string_view resolutionKey) {
    std::string path(dataFolder);
    return path.append("Backups\\").append(resolutionKey).append("\\");
}

std::string BackupFilePath(std::string_view dataFolder, std::string_view resolutionKey, std::string_view id) {
    return BackupFolderPath(dataFolder, resolutionKey).append(id).append(".kvl");
}
