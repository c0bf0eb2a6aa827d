#pragma once
// One application for a whole test program, without a display and with hard-edged text, so that
// pixels can be checked exactly. A test program registers it once:
//   ::testing::AddGlobalTestEnvironment(new QtTestEnvironment("app_tests", [] { ... }));
#include "platform/gui/Font.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

class QtTestEnvironment : public ::testing::Environment {
public:
    // `cleanUp` frees the singletons that hold Qt objects, before the application goes.
    QtTestEnvironment(const char* programName, std::function<void()> cleanUp)
        : name_(programName), cleanUp_(std::move(cleanUp))
    {
    }

    void SetUp() override
    {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        argv_[0] = name_.data();
        app_ = new QApplication(argc_, argv_);
        zem::gui::SetTextAntialiasing(false);
    }
    void TearDown() override
    {
        if (cleanUp_)
            cleanUp_();
        delete app_;
        app_ = nullptr;
    }

private:
    std::string name_;
    std::function<void()> cleanUp_;
    int argc_ = 1;
    char* argv_[2] = {nullptr, nullptr};
    QApplication* app_ = nullptr;
};
