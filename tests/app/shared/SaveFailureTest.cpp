#include "app/shared/SaveFailure.h"

#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

namespace {

zem::MessageRequest Notice(const std::string& text)
{
    return {text, "提示", zem::MessageIcon::Error, zem::MessageButtons::Ok, 0};
}

}  // namespace

// A failed save is said once: what failed, then every notice the save gave as its reason, or the
// fallback when it gave none; a save that succeeds shows its notices after it, unchanged.
TEST(SaveFailure, AFailedSaveIsSaidOnceWithItsReason)
{
    struct Case {
        const char* what;
        bool saves;
        std::vector<std::string> notices;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"one reason", false, {"无法写入文件 output.xml"}, {"没有保存成功。\n\n无法写入文件 output.xml"}},
        {"two reasons in order", false, {"甲", "乙"}, {"没有保存成功。\n\n甲\n乙"}},
        {"no reason", false, {}, {"没有保存成功。\n\n请检查任务文件夹是否可写后再保存。"}},
        {"saved with a notice", true, {"没有备份"}, {"没有备份"}},
        {"saved quietly", true, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedMessages messages;
        const bool saved = SaveSayingWhy(
            [&] {
                for (const std::string& text : c.notices)
                    zem::ShowMessage(Notice(text));
                // Nothing is shown while the save runs.
                EXPECT_TRUE(messages.messages.empty());
                return c.saves;
            },
            "没有保存成功。\n\n", kCheckTaskFolderReason);
        EXPECT_EQ(saved, c.saves);
        EXPECT_EQ(messages.Texts(), c.shown);
        if (!c.saves) {
            EXPECT_EQ(messages.messages.front().icon, zem::MessageIcon::Error);
        }
    }
}

// A question the save asks is the user's to answer while it runs; its answer decides the save,
// and the question is no reason of a failure.
TEST(SaveFailure, AQuestionIsAskedNotHeld)
{
    for (const int answer : {zem::IDYES, zem::IDNO}) {
        ScriptedMessages messages({answer});
        const bool saved = SaveSayingWhy(
            [] {
                zem::MessageRequest question{"要覆盖吗？", "提示", zem::MessageIcon::Question,
                                             zem::MessageButtons::YesNo, 0};
                return zem::ShowMessage(question) == zem::IDYES;
            },
            "没有保存成功：", "本次未保存");
        EXPECT_EQ(saved, answer == zem::IDYES);
        const std::vector<std::string> expected =
            answer == zem::IDYES ? std::vector<std::string>{"要覆盖吗？"}
                                 : std::vector<std::string>{"要覆盖吗？", "没有保存成功：本次未保存"};
        EXPECT_EQ(messages.Texts(), expected);
    }
}
