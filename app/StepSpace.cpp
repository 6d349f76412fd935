#include "StepSpace.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

std::string CreateStepSpace(const std::string& programFolder) {
    std::error_code ec;
    const std::filesystem::path space =
        std::filesystem::path(programFolder) / (".tessaro-steps-" + std::to_string(::getpid()));
    std::filesystem::create_directories(space, ec);
    return ec ? programFolder : space.string();
}

void SweepStaleStepSpaces(const std::string&) {}

void RemoveStepSpace(const std::string& space) {
    if (space.find(".tessaro-steps-") == std::string::npos) return;
    std::error_code ec;
    std::filesystem::remove_all(space, ec);
}
