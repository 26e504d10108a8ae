#pragma once
// A window as the technician first sees it: the three lists filled, nothing selected, the
// configuration edits empty. Plus helpers to look at the editor and the configuration write.
#include <QColor>
#include <QTextBlock>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>

#include "config/config_image.h"
#include "form_fixture.h"

namespace orvel::testing {

using Image = std::array<uint8_t, kConfigImageSize>;

inline Image BuiltImage(const ConfigFields& fields) {
    Image img{};
    BuildConfigImage(fields, img);
    return img;
}

class ConfigFormTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        // The start-up's 10 ms tidy-up done now, and the engines' ticks driven by hand only:
        // on a slow run (sanitizers) a real tick would land inside a test's events.
        form->Timer5Timer();
        for (QTimer* t : {form->Timer1, form->Timer2, form->Timer3, form->Timer4}) t->setInterval(std::chrono::hours(24));
        // What the start-up leaves, whether or not it has already run here.
        auto fill = [](DropDownList* list, std::initializer_list<const char*> items) {
            if (list->count() == 0)
                for (const char* i : items) list->addItem(i);
            list->SetItemIndex(-1);
        };
        fill(form->CB_PING, {"5", "10", "15", "30", "45", "60", "90", "120", "180", "300"});
        fill(form->CB_A232, {"9600", "19200", "57600", "115200"});
        fill(form->CB_B232, {"9600", "19200", "57600", "115200"});
        for (QLineEdit* e : Edits()) e->clear();
    }

    std::vector<QLineEdit*> Edits() const {
        return {form->ED_ACP, form->ED_ACN, form->ED_VMX, form->ED_TVMX, form->ED_VCH, form->ED_TVCH, form->ED_RPX,
                form->ED_TRPX, form->ED_TOSC, form->ED_XOSC, form->ED_VBGL, form->ED_RBGL, form->ED_TBGL};
    }

    // The configuration write's image and job, as handed to the upload engine.
    void ExpectConfigJobFor(const ConfigFields& fields) {
        const Image expected = BuiltImage(fields);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), form->WriteImage.begin()));
        const ImageCheckValues check = ComputeCheckValues(expected);
        EXPECT_EQ(form->TransferJob.JobCode, 6);
        EXPECT_EQ(form->TransferJob.Data, form->WriteImage.data());
        EXPECT_EQ(form->TransferJob.DataLength, 2032u);
        EXPECT_EQ(form->TransferJob.XOR8, check.XOR8);
        EXPECT_EQ(form->TransferJob.SUM32, check.SUM32);
    }

    // The editor's own "Erro" boxes (the upload engine may report the closed port on its own).
    size_t EditorErrorBoxes() const {
        return static_cast<size_t>(std::count_if(fake.boxes.shown.begin(), fake.boxes.shown.end(),
                                                 [](const auto& b) { return b.caption == "Erro"; }));
    }

    // Colour of the text of the log line `index`.
    QColor LogLineColor(int index) const {
        const QTextBlock b = form->Log->document()->findBlockByNumber(index);
        return b.begin().fragment().charFormat().foreground().color();
    }
};

}  // namespace orvel::testing
