#pragma once
// A fresh window on fake platform adapters, and helpers to speak as the unit.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <memory>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "link/frame.h"
#include "platform/fake_platform.h"

namespace orvel::testing {

using Bytes = std::vector<uint8_t>;

// A frame as the unit sends it (address 0x12: from 1 to 2).
inline Bytes UnitFrame(uint8_t command, const Bytes& payload, uint8_t address = 0x12) {
    return BuildFrameFrom(address, command, payload);
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm1>(fake.Get());
        if (SettlesStartUp()) SettleStartUp();
    }
    // Runs the start-up's one-shot tidy-up now, as the user first finds the window, so
    // that its real 10 ms timer cannot fire in the middle of a test on a slow machine.
    // Fixtures about the start-up itself keep the window as it is right after creation.
    virtual bool SettlesStartUp() const { return true; }
    void SettleStartUp() {
        if (form->Timer5->isActive()) form->Timer5Timer();
    }
    void TearDown() override { form.reset(); }

    // Opens the fake port underneath the window (the engines only ask whether it is open).
    void OpenPortDirect(const std::string& name = "ttyS0") {
        fake.port.SetPortName(name);
        ASSERT_TRUE(fake.port.Open());
    }

    // Lets posted events run (a few passes, for events that post further ones).
    static void RunEventsUntilIdle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }

    // The main log, one entry per line.
    std::vector<std::string> LogLines() const { return Lines(form->Log); }
    static std::vector<std::string> Lines(const QTextEdit* edit) {
        std::vector<std::string> out;
        const QTextDocument* doc = edit->document();
        if (doc->isEmpty()) return out;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) out.push_back(b.text().toStdString());
        return out;
    }

    FakePlatform fake;
    std::unique_ptr<TForm1> form;
};

}  // namespace orvel::testing
