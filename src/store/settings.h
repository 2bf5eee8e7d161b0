#pragma once

#include "storeerror.h"

#include <optional>

class DataFolder;

// The settings file "設定.TXT": one record, the label "ヘルプツアー" and the help-tour
// switch as a bare number.

// The stored switch, or nothing when the file is missing or holds no number.
std::optional<int> LoadSettings(DataFolder& folder);

WriteResult SaveSettings(DataFolder& folder, int helpTourOn);
