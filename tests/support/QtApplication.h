#pragma once
// One Qt application for the whole test program, without a display and with hard-edged text, so
// that pixels can be checked exactly. Including this header anywhere in a test program sets it up.
#include "platform/gui/Font.h"
#include "table/UICore.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "zem_tests";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
        zem::gui::SetTextAntialiasing(false);
    }
    void TearDown() override
    {
        CUICore::Free();
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};

inline ::testing::Environment* const kQtTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);
