#pragma once
// The one way a window says that a save failed: once, with the reason the task gave.
#include <functional>
#include <string>

// Runs the save with the notices it shows (messages with only an OK button) held back; its
// questions are asked as they come. On success the notices follow it; on failure one error message
// says failedText followed by their texts, or by fallbackReason when there were none. What the save
// answered. Not nested: the inner message would become the outer one's reason.
bool SaveSayingWhy(const std::function<bool()>& save, const std::string& failedText, const std::string& fallbackReason);

// Its two halves, for a caller that must act between a failed save and its message: the save run
// with its notices held (shown after it on success, else their texts in `reason`), and the one
// message.
bool SaveHoldingNotices(const std::function<bool()>& save, std::string& reason);
void SayFailedSave(const std::string& failedText, const std::string& reason, const std::string& fallbackReason);

// What a failed save's message puts between what was not saved and why.
constexpr const char* kReasonBreak = "\n\n";
// The message's first words for what was not saved ("教学时间" and so on), the break after them.
std::string NotSavedText(const std::string& what);

// The reason a page's save gives when the task said none.
constexpr const char* kCheckTaskFolderReason = "请检查任务文件夹是否可写后再保存。";
