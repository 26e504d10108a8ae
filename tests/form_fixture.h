#pragma once
// A fresh window on fake platform adapters, and helpers to speak as the unit.
#include <gtest/gtest.h>

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
    Bytes f = {kFrameStart, address, command, static_cast<uint8_t>(payload.size() >> 8),
               static_cast<uint8_t>(payload.size())};
    f.insert(f.end(), payload.begin(), payload.end());
    const uint32_t s = ByteSum(f);
    f.push_back(static_cast<uint8_t>(s >> 16));
    f.push_back(static_cast<uint8_t>(s >> 8));
    f.push_back(static_cast<uint8_t>(s));
    return f;
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { form = std::make_unique<TForm1>(fake.Get()); }
    void TearDown() override { form.reset(); }

    // Opens the fake port underneath the window (the engines only ask whether it is open).
    void OpenPortDirect(const std::string& name = "ttyS0") {
        fake.port.SetPortName(name);
        ASSERT_TRUE(fake.port.Open());
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
