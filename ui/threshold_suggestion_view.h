// "建议阈值" in the host dialog: enabled when the host has history enough,
// else disabled with a tip saying why; a click fills the threshold boxes and
// the line under them says what they are based on. Nothing is saved until
// "确 定".
//
// Threads: the user-interface thread only; the host dialog must be loaded.
#pragma once

#include <optional>

#include "history/threshold_suggestion.h"

// Sets the button up for what the dialog's host has (empty: not enough, or
// a new host) and clears the line.
void showSuggestionButton(const std::optional<ThresholdSuggestion>& suggestion);
// Fills the four boxes and the line.
void fillSuggestedThresholds(const ThresholdSuggestion& suggestion);
