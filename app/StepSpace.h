// Stand-in until the step-space service lands: a folder private to this program
// instance for the history step files.
#pragma once

#include <string>

std::string CreateStepSpace(const std::string& programFolder);
void SweepStaleStepSpaces(const std::string& programFolder);
void RemoveStepSpace(const std::string& space);
