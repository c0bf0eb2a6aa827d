#pragma once
// One Qt application for a whole test program, without a display. Register it (or a class derived
// from it) with ::testing::AddGlobalTestEnvironment.
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
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};
