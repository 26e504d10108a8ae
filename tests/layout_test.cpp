#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QStyleOptionGroupBox>
#include <QToolButton>
#include <set>

#include "form_fixture.h"

namespace orvel::testing {
namespace {

const QColor kGray(128, 128, 128);
const QColor kSilver(192, 192, 192);

class Layout : public FormTest {
protected:
    bool SettlesStartUp() const override { return false; }
    void Widen() { form->FormKeyDown(0x7B, true, true, true); }

    // Where a control lies in window coordinates.
    QRect InWindow(const QWidget* w) const { return QRect(w->mapTo(form.get(), QPoint(0, 0)), w->size()); }

    std::vector<QWidget*> PanelControls() const {
        return {form->Cb_Rotaval, form->Cb_COMAutoClose, form->GB_ReleaseMode, form->GroupBox2};
    }
    std::vector<QWidget*> HiddenControls() const {
        return {form->B_FwJump, form->B_FwTx, form->B_GetConfig, form->CppWebBrowser1, form->GB_EBK};
    }
    std::vector<QGroupBox*> CaptionedGroups() const {
        std::vector<QGroupBox*> out;
        for (QGroupBox* g : form->findChildren<QGroupBox*>())
            if (!g->title().isEmpty()) out.push_back(g);
        return out;
    }
    static QRect CaptionRect(const QGroupBox* g) {
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.textAlignment = g->alignment();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        return g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    }
    static std::string Name(const QObject* o) { return o->objectName().toStdString(); }
};

// ------------------------------------------------------------------ the window

TEST_F(Layout, TheWindowHasAFixedSizeAndOnlyACloseBox) {
    EXPECT_EQ(form->size(), QSize(557, 742));
    EXPECT_EQ(form->minimumSize(), form->size());
    EXPECT_EQ(form->maximumSize(), form->size());
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(Layout, TheWindowIsCentredWhenShownAndHasTheMenuBarColour) {
    form->show();
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_LE((form->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_EQ(form->palette().color(QPalette::Window), QApplication::palette("QMenuBar").color(QPalette::Window));
    EXPECT_TRUE(form->autoFillBackground());
}

TEST_F(Layout, TheNarrowWindowShowsNoPartOfTheProductionPanel) {
    for (QWidget* w : PanelControls()) EXPECT_FALSE(form->rect().intersects(InWindow(w))) << Name(w);
}

TEST_F(Layout, TheWideWindowShowsTheWholeProductionPanel) {
    Widen();
    for (QWidget* w : PanelControls()) EXPECT_TRUE(form->rect().contains(InWindow(w))) << Name(w);
}

TEST_F(Layout, HiddenControlsAreNeverInView) {
    for (bool wide : {false, true}) {
        if (wide) Widen();
        for (QWidget* w : HiddenControls())
            EXPECT_FALSE(form->rect().intersects(InWindow(w))) << Name(w) << (wide ? " wide" : " narrow");
    }
}

TEST_F(Layout, HiddenPushButtonsTakeFocusThroughTheTabOrderAndDoNothing) {
    std::set<QWidget*> chain;
    for (QWidget* w = form->nextInFocusChain(); w != form.get(); w = w->nextInFocusChain()) chain.insert(w);
    for (QPushButton* b : {form->B_FwJump, form->B_FwTx, form->B_GetConfig}) {
        EXPECT_TRUE(b->isEnabled()) << Name(b);
        EXPECT_TRUE(b->focusPolicy() & Qt::TabFocus) << Name(b);
        EXPECT_TRUE(chain.count(b)) << Name(b);
        b->click();
    }
    OpenPortDirect();
    for (QPushButton* b : {form->B_FwJump, form->B_FwTx, form->B_GetConfig}) b->click();
    EXPECT_TRUE(fake.port.writes.empty());
    EXPECT_TRUE(LogLines().empty());
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(form->TransferJob.JobCode, 0);
    EXPECT_FALSE(form->Timer1->isActive() || form->Timer3->isActive());
}

// ------------------------------------------------------------------ texts, fonts, colours

TEST_F(Layout, EveryTextFitsItsControl) {
    for (QLabel* l : form->findChildren<QLabel*>()) {
        if (l->text().isEmpty()) continue;
        EXPECT_LE(l->sizeHint().width(), l->width()) << Name(l);
        EXPECT_LE(l->sizeHint().height(), l->height()) << Name(l);
    }
    for (QAbstractButton* b : form->findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty()) continue;
        // Push and flat buttons' hints ask for padding beyond their text and frame.
        if (qobject_cast<QCheckBox*>(b)) {
            EXPECT_LE(b->sizeHint().width(), b->width()) << Name(b);
        } else {
            EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 6, b->width()) << Name(b);
        }
    }
    for (QGroupBox* g : CaptionedGroups()) {
        const QRect caption = CaptionRect(g);
        EXPECT_LT(caption.right(), g->width() - 2) << Name(g);
        EXPECT_GE(caption.width(), QFontMetrics(g->font()).boundingRect(g->title()).width()) << Name(g);
    }
}

TEST_F(Layout, ControlsInsideAContainerNeitherOverlapNorLeaveIt) {
    for (bool lifted : {false, true}) {
        if (lifted) form->Timer5Timer();
        std::vector<QWidget*> containers = {form.get(), form->GB_Header, form->GB_ReleaseMode, form->GroupBox2};
        for (QGroupBox* g : CaptionedGroups()) containers.push_back(g);
        for (QWidget* c : containers) {
            const QList<QWidget*> kids = c->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            for (qsizetype i = 0; i < kids.size(); ++i) {
                if (c != form.get()) {
                    EXPECT_TRUE(c->rect().contains(kids[i]->geometry())) << Name(kids[i]);
                }
                for (qsizetype j = i + 1; j < kids.size(); ++j) {
                    QRect a = kids[i]->geometry();
                    // The two frames of the production panel share one line.
                    if (kids[i] == form->GB_ReleaseMode && kids[j] == form->GroupBox2) a.setBottom(a.bottom() - 1);
                    EXPECT_FALSE(a.intersects(kids[j]->geometry()))
                        << Name(kids[i]) << " / " << Name(kids[j]) << (lifted ? " lifted" : "");
                }
            }
            if (auto* g = qobject_cast<QGroupBox*>(c)) {
                for (QWidget* k : kids) {
                    EXPECT_FALSE(CaptionRect(g).intersects(k->geometry())) << Name(g) << " caption / " << Name(k);
                }
            }
        }
    }
}

TEST_F(Layout, GroupCaptionsAreBoldVerdanaAndTheirContentsKeepTheWindowFont) {
    for (QGroupBox* g : CaptionedGroups()) {
        EXPECT_TRUE(g->font().bold()) << Name(g);
        EXPECT_TRUE(g->font().families().contains("Verdana")) << Name(g);
        EXPECT_LE(g->font().pixelSize(), 12) << Name(g);
    }
    EXPECT_EQ(form->GB_Config->font().pixelSize(), 12);  // 9 pt
    for (QGroupBox* g : {form->GB_Config, form->GB_EBK}) {
        for (QWidget* w : g->findChildren<QWidget*>()) {
            if (qobject_cast<QGroupBox*>(w) || w->objectName().isEmpty()) continue;
            EXPECT_FALSE(w->font().bold()) << Name(w);
            if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QLineEdit*>(w)) {
                EXPECT_TRUE(w->font().families().contains("MS Sans Serif")) << Name(w);
            }
        }
    }
}

TEST_F(Layout, LabelsAreGrayNotesSilverEditsAndLogsBlack) {
    for (QLabel* l : {form->L_VMX, form->L_TOSC2, form->L_ACN, form->Label1, form->L_VEBK})
        EXPECT_EQ(l->palette().color(QPalette::WindowText), kGray) << Name(l);
    for (QLabel* l : {form->Label4, form->Label5, form->Label6})
        EXPECT_EQ(l->palette().color(QPalette::WindowText), kSilver) << Name(l);
    for (QCheckBox* c : {form->CB_BZ_VMX_IN, form->CB_EV_OSC_OUT, form->CB_BZ_ACP, form->CB_BZ_EBK_OUT}) {
        EXPECT_EQ(c->palette().color(QPalette::WindowText), kGray) << Name(c);
        EXPECT_EQ(c->layoutDirection(), Qt::RightToLeft) << Name(c);  // text left of the box
    }
    for (QGroupBox* g : {form->GB_VMX_BZ, form->GB_OSC_OUT, form->GB_EBK_IN})
        EXPECT_EQ(g->palette().color(QPalette::WindowText), kSilver) << Name(g);
    for (QLineEdit* e : {form->ED_VMX, form->ED_REBK, form->Edit1})
        EXPECT_EQ(e->palette().color(QPalette::Text), QColor(0, 0, 0)) << Name(e);
    for (QTextEdit* t : {form->Log, form->LogIdList}) {
        EXPECT_TRUE(t->font().bold());
        EXPECT_EQ(t->font().pixelSize(), 12);
        EXPECT_TRUE(t->isReadOnly());
        EXPECT_EQ(t->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
    EXPECT_EQ(form->Label0->font().pixelSize(), 40);
    EXPECT_TRUE(form->Label0->font().bold());
    EXPECT_EQ(form->Label0->text().toStdString(), "X");
    EXPECT_TRUE(form->L_Site->font().underline());
    EXPECT_EQ(form->L_Clear->text().toStdString(), "Limpar");
}

TEST_F(Layout, TheRateListOfTheTrackerIsDisabled) {
    EXPECT_FALSE(form->CB_A232->isEnabled());
    EXPECT_TRUE(form->CB_B232->isEnabled());
    EXPECT_TRUE(form->CB_PING->isEnabled());
    EXPECT_FALSE(form->B_SetConfig->isEnabled());
    EXPECT_EQ(form->B_SetConfig->text().toStdString(), "CONFIGURAR");
    EXPECT_TRUE(form->B_SetRotaval->text().isEmpty());
    EXPECT_TRUE(form->B_SetRotaval->autoRaise());
}

// ------------------------------------------------------------------ glyphs

TEST_F(Layout, TheTwoGlyphsAreDistinctPlugsOnATransparentGround) {
    ASSERT_EQ(form->ImageList1.size(), 2u);
    const QImage open = form->ImageList1[0].toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage closed = form->ImageList1[1].toImage().convertToFormat(QImage::Format_ARGB32);
    for (const QImage& img : {open, closed}) {
        EXPECT_EQ(img.size(), QSize(51, 51));
        EXPECT_TRUE(img.hasAlphaChannel());
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(img.pixel(50, 50)), 0);
        int dark = 0, light = 0;
        for (int y = 0; y < 51; ++y)
            for (int x = 0; x < 51; ++x) {
                const QRgb p = img.pixel(x, y);
                if (qAlpha(p) < 255) continue;
                if (qGray(p) < 96) ++dark;
                if (qGray(p) > 200) ++light;
            }
        EXPECT_GT(dark, 300);  // the plug
        EXPECT_GT(light, 100);  // its outline
    }
    // Same plug, different mark: they differ only in the mark's corner.
    EXPECT_NE(open, closed);
    EXPECT_EQ(open.copy(0, 0, 26, 51), closed.copy(0, 0, 26, 51));
}

// ------------------------------------------------------------------ editor fields

TEST_F(Layout, EditorFieldsHaveTheirLimitsStartValuesAndArrowKeys) {
    struct Case {
        QLineEdit* edit;
        UpDown* arrows;
        int maxLength, min, max, start;
        bool keys;
    } cases[] = {
        {form->ED_VMX, form->UD_VMX, 3, 1, 250, 120, false},    {form->ED_TVMX, form->UD_TVMX, 2, 0, 20, 5, true},
        {form->ED_VCH, form->UD_VCH, 3, 1, 250, 90, false},     {form->ED_TVCH, form->UD_TVCH, 2, 0, 20, 5, true},
        {form->ED_RPX, form->UD_RPX, 4, 1000, 9999, 4500, false}, {form->ED_TRPX, form->UD_TRPX, 2, 0, 20, 5, true},
        {form->ED_TOSC, form->UD_TOSC, 2, 1, 45, 10, false},    {form->ED_XOSC, form->UD_XOSC, 2, 0, 20, 7, true},
        {form->ED_VBGL, form->UD_VBGL, 3, 1, 250, 40, false},   {form->ED_RBGL, form->UD_RBGL, 4, 300, 1500, 900, true},
        {form->ED_TBGL, form->UD_TBGL, 2, 0, 20, 5, true},      {form->ED_ACP, form->UD_ACP, 3, 1, 255, 11, false},
        {form->ED_ACN, form->UD_ACN, 3, 1, 255, 11, false},     {form->ED_VEBK, form->UD_VEBK, 3, 1, 250, 40, false},
        {form->ED_REBK, form->UD_REBK, 4, 300, 1500, 1200, true}, {form->ED_TEBK, form->UD_TEBK, -1, 0, 20, 5, true},
    };
    for (const Case& c : cases) {
        const std::string name = Name(c.edit);
        EXPECT_EQ(TypingLimitOf(c.edit), c.maxLength) << name;
        EXPECT_EQ(c.arrows->Associate(), c.edit) << name;
        EXPECT_EQ(c.arrows->Min(), c.min) << name;
        EXPECT_EQ(c.arrows->Max(), c.max) << name;
        EXPECT_EQ(c.arrows->Position(), c.start) << name;
        EXPECT_EQ(c.edit->text().toInt(), c.start) << name;  // before the tidy-up empties it
        EXPECT_EQ(c.arrows->ArrowKeys(), c.keys) << name;
        EXPECT_EQ(c.arrows->x(), c.edit->x() + c.edit->width()) << name;
    }
}

class Arrows : public Layout {
protected:
    void SetUp() override {
        Layout::SetUp();
        form->Timer5Timer();  // the boxes start empty, as the user finds them
    }
    static void Key(QLineEdit* e, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(e, &press);
    }
    static QToolButton* Button(UpDown* u, Qt::ArrowType type) {
        for (QToolButton* b : u->findChildren<QToolButton*>())
            if (b->arrowType() == type) return b;
        return nullptr;
    }
    static std::string Text(const QLineEdit* e) { return e->text().toStdString(); }
};

TEST_F(Arrows, FromAnEmptyBoxTheyStepFromTheirOwnPosition) {
    form->UD_TVMX->StepUp();
    EXPECT_EQ(Text(form->ED_TVMX), "6");
    form->ED_VCH->clear();
    form->UD_VCH->StepDown();
    EXPECT_EQ(Text(form->ED_VCH), "89");
}

TEST_F(Arrows, TheyStepFromTheNumberInTheBox) {
    form->ED_VMX->setText("100");
    form->UD_VMX->StepUp();
    EXPECT_EQ(Text(form->ED_VMX), "101");
    form->ED_VMX->setText("17");
    form->UD_VMX->StepDown();
    EXPECT_EQ(Text(form->ED_VMX), "16");
    // A box emptied again falls back to the last value the arrows wrote.
    form->ED_VMX->clear();
    form->UD_VMX->StepUp();
    EXPECT_EQ(Text(form->ED_VMX), "17");
}

TEST_F(Arrows, TheyStopAtTheLimitsWithoutWrapping) {
    struct Case {
        QLineEdit* edit;
        UpDown* arrows;
        const char* text;
        bool up;
        const char* after;
    } cases[] = {
        {form->ED_VMX, form->UD_VMX, "250", true, "250"},   {form->ED_VMX, form->UD_VMX, "1", false, "1"},
        {form->ED_TVMX, form->UD_TVMX, "0", false, "0"},    {form->ED_TVMX, form->UD_TVMX, "20", true, "20"},
        {form->ED_VMX, form->UD_VMX, "999", false, "249"},  {form->ED_RPX, form->UD_RPX, "12", true, "1001"},
        {form->ED_TVCH, form->UD_TVCH, "x", true, "6"},     {form->ED_ACP, form->UD_ACP, "255", true, "255"},
    };
    for (const Case& c : cases) {
        c.edit->setText(c.text);
        c.up ? c.arrows->StepUp() : c.arrows->StepDown();
        EXPECT_EQ(Text(c.edit), c.after) << Name(c.edit) << " from " << c.text;
    }
}

TEST_F(Arrows, TheyWriteNoThousandsSeparator) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    form->ED_RPX->setText("1999");
    form->UD_RPX->StepUp();
    QLocale::setDefault(before);
    EXPECT_EQ(Text(form->ED_RPX), "2000");
}

TEST_F(Arrows, ClickingTheArrowButtonsSteps) {
    form->ED_TBGL->setText("10");
    Button(form->UD_TBGL, Qt::UpArrow)->click();
    EXPECT_EQ(Text(form->ED_TBGL), "11");
    Button(form->UD_TBGL, Qt::DownArrow)->click();
    Button(form->UD_TBGL, Qt::DownArrow)->click();
    EXPECT_EQ(Text(form->ED_TBGL), "9");
}

TEST_F(Arrows, KeyboardArrowsStepOnlyWhereAllowed) {
    form->ED_TVMX->setText("5");
    Key(form->ED_TVMX, Qt::Key_Up);
    EXPECT_EQ(Text(form->ED_TVMX), "6");
    Key(form->ED_TVMX, Qt::Key_Down);
    Key(form->ED_TVMX, Qt::Key_Down);
    EXPECT_EQ(Text(form->ED_TVMX), "4");

    form->ED_VMX->setText("100");
    Key(form->ED_VMX, Qt::Key_Up);
    Key(form->ED_VMX, Qt::Key_Down);
    EXPECT_EQ(Text(form->ED_VMX), "100");
    EXPECT_EQ(form->UD_VMX->Position(), 120);
}

// ------------------------------------------------------------------ as the user sees it

// Set ORVEL_SCREENSHOT_DIR to keep the pictures (narrow.png, wide.png).
TEST_F(Layout, TheWideWindowDrawsTheIdentifierListBesideTheEditor) {
    form->Timer5Timer();
    form->show();
    const QImage narrow = form->grab().toImage();
    Widen();
    form->LogUnitId([] {
        DeviceInfo d;
        d.HardwareType = 4;
        d.FirmwareMajor = 2;
        d.FirmwareMinor = 43;
        d.UnitId[0] = 0x0012ABCD;
        d.UnitId[1] = 0x55AA55AA;
        d.UnitId[2] = 0x00000001;
        return d;
    }());
    QApplication::processEvents();
    const QImage wide = form->grab().toImage();
    if (const QByteArray dir = qgetenv("ORVEL_SCREENSHOT_DIR"); !dir.isEmpty()) {
        narrow.save(QString::fromLocal8Bit(dir) + "/narrow.png");
        wide.save(QString::fromLocal8Bit(dir) + "/wide.png");
    }
    EXPECT_EQ(narrow.size(), QSize(557, 742));
    EXPECT_EQ(wide.size(), QSize(853, 742));
    // The list's white page lies where the narrow window ended.
    const QPoint inList = InWindow(form->LogIdList).center();
    EXPECT_EQ(QColor(wide.pixel(inList)), form->LogIdList->palette().color(QPalette::Base));
    // The header reads the same in both.
    EXPECT_EQ(narrow.copy(0, 0, 557, 140), wide.copy(0, 0, 557, 140));
}

}  // namespace
}  // namespace orvel::testing
