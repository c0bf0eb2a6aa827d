#pragma once
// Saving from a timetable window with one message on failure.
#include <functional>
#include <string>

// Runs the save with the data library's messages held back. On success they are shown after it;
// on failure one error message says failedText followed by their texts, or by fallbackReason when
// there were none. What the save answered.
bool SaveSayingWhy(const std::function<bool()>& save, const std::string& failedText, const std::string& fallbackReason);
