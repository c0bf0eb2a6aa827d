#include "support/ScreenTestSupport.h"

#include "app/controls/HyperLink.h"
#include "platform/gui/Desktop.h"
#include "platform/gui/Messages.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using zem::RGB;

// The window that holds the links: records the program's messages it receives.
class LinkHost : public QWidget, public zem::gui::MessageReceiver {
public:
    LinkHost() { resize(400, 200); }
    std::vector<std::pair<unsigned, zem::WPARAM>> received;

protected:
    zem::LRESULT WindowProc(unsigned message, zem::WPARAM wParam, zem::LPARAM) override
    {
        received.push_back({message, wParam});
        return 0;
    }
};

class OpenerScope {
public:
    explicit OpenerScope(int result)
    {
        unsetenv("BROWSER");  // no fallback browser: the opener's answer is the link's answer
        m_previous = zem::gui::SetOpenHook([this, result](const std::string& target) {
            opened.push_back(target);
            return result;
        });
    }
    ~OpenerScope() { zem::gui::SetOpenHook(m_previous); }
    std::vector<std::string> opened;

private:
    zem::gui::OpenHook m_previous;
};

void Click(CHyperLink& link)
{
    QTest::mouseClick(&link, Qt::LeftButton, Qt::NoModifier, QPoint(3, link.height() / 2));
}

TEST(HyperLink, ALinkWithoutAddressSendsItsQuickToolMessage)
{
    LinkHost host;
    CHyperLink link;
    ASSERT_TRUE(link.Create("历史记录", &host, 1409));
    EXPECT_EQ(link.GetURL(), "历史记录");  // the text stands in for a missing address...
    link.SetURL("");                        // ...until the owner empties it
    OpenerScope opener(42);
    ScriptedMessages messages;
    Click(link);
    EXPECT_EQ(host.received, (std::vector<std::pair<unsigned, zem::WPARAM>>{{WM_QUICK_TOOL, 1409}}));
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(link.TextColor(), RGB(0, 0, 238));
}

TEST(HyperLink, AnEmptyCaptionShowsTheAddressAndAnOpenedLinkIsVisited)
{
    LinkHost host;
    CHyperLink link;
    link.SetURL("https://example.org/help.php");
    ASSERT_TRUE(link.Create("", &host, 1500));
    EXPECT_EQ(link.text().toStdString(), "https://example.org/help.php");
    OpenerScope opener(42);
    Click(link);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0].rfind("https://example.org/help.php?", 0), 0u);
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(link.TextColor(), RGB(85, 26, 139));
    EXPECT_TRUE(host.received.empty());
}

TEST(HyperLink, TheOpenersFailureCodesGiveTheirTexts)
{
    const std::pair<int, std::string> cases[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {31, "There is no application associated\nwith the given filename extension."},
        {4, "Unknown Error (4) occurred."},
    };
    for (const auto& [code, text] : cases) {
        SCOPED_TRACE(code);
        LinkHost host;
        CHyperLink link;
        ASSERT_TRUE(link.Create("帮助", &host, 1500));
        link.SetURL("https://example.org/help.php");
        OpenerScope opener(code);
        ScriptedMessages messages;
        Click(link);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, "Unable to open hyperlink:\n\n" + text);
        EXPECT_EQ(messages.messages[0].icon, zem::MessageIcon::Warning);
        EXPECT_FALSE(link.IsVisited());
    }
}

TEST(HyperLink, HoverIsRedAndUnderlinedUntilATimerTickFindsTheMouseOutside)
{
    LinkHost host;
    CHyperLink link;
    ASSERT_TRUE(link.Create("不同年级的上课时间不一样应该如何设置", &host, 1501));
    link.SetBkColor(RGB(240, 240, 240));
    host.show();
    const QPoint inside = link.mapToGlobal(QPoint(2, 2));
    zem::Point cursor{inside.x(), inside.y()};
    const auto previous = zem::gui::SetCursorPosHook([&] { return cursor; });

    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(inside), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&link, &move);
    EXPECT_TRUE(link.IsOverControl());
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.TextColor(), RGB(255, 0, 0));
    const QImage hovered = Snapshot(&link);
    EXPECT_GT(CountColor(hovered, {0, 0, hovered.width(), hovered.height()}, RGB(255, 0, 0)), 0);

    // Still inside at the next ticks: the hover stays.
    QTest::qWait(150);
    EXPECT_TRUE(link.IsOverControl());
    cursor = {inside.x() + 1000, inside.y()};
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link.IsOverControl(); }, 1000));
    EXPECT_FALSE(link.font().underline());
    EXPECT_EQ(link.TextColor(), RGB(0, 0, 238));
    zem::gui::SetCursorPosHook(previous);
}

TEST(HyperLink, FitsItsTextTowardsItsAlignment)
{
    struct Case {
        Qt::Alignment align;
        const char* name;
    };
    for (const Case& c : {Case{Qt::AlignLeft, "left"}, Case{Qt::AlignRight, "right"}, Case{Qt::AlignHCenter, "centre"}}) {
        SCOPED_TRACE(c.name);
        LinkHost host;
        CHyperLink link;
        link.setAlignment(c.align | Qt::AlignTop);
        ASSERT_TRUE(link.Create("历史记录", {100, 10, 300, 40}, &host, 1409));
        const QRect r = link.geometry();
        EXPECT_LT(r.width(), 200);
        if (c.align == Qt::AlignLeft) {
            EXPECT_EQ(r.left(), 100);
        } else if (c.align == Qt::AlignRight) {
            EXPECT_EQ(r.left() + r.width(), 300);
        } else {
            EXPECT_NEAR(r.left() + r.width() / 2, 200, 1);
        }
        EXPECT_EQ(r.top(), 10);
    }
}

}  // namespace
