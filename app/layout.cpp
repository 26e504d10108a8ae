// The window's fixed design: every control with its place, text and look, and the
// handlers bound to them. Places and sizes are pixels at 96 dpi; font sizes are character
// heights in pixels, except the group captions, which are 9 pt (12 px).
#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QScreen>
#include <QShowEvent>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <vector>

#include "app/Unit1.h"
#include "app/glyphs.h"
#include "app/key_preview.h"

namespace orvel {

namespace {

constexpr int kClientWidth = 557;
constexpr int kClientHeight = 742;
constexpr int kCaptionPx = 12;    // Verdana 9 pt
constexpr int kSmallestPx = 8;    // a text is never shrunk below this to make it fit

const QColor kGray(128, 128, 128);
const QColor kSilver(192, 192, 192);
const QColor kBlack(0, 0, 0);

// The design's faces are Windows faces; on a Linux desktop the first installed face of
// each list stands in, chosen for the nearest widths (Liberation Sans is metric-compatible
// with Arial, DejaVu Sans is cut like Verdana).
QStringList Faces(const QString& face) {
    if (face == "MS Sans Serif")
        return {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo", "Arial", "Nimbus Sans",
                "DejaVu Sans Condensed", "DejaVu Sans"};
    if (face == "Verdana") return {"Verdana", "DejaVu Sans", "Liberation Sans"};
    if (face == "Tahoma") return {"Tahoma", "DejaVu Sans Condensed", "Liberation Sans", "DejaVu Sans"};
    if (face == "Arial") return {"Arial", "Liberation Sans", "Arimo", "Nimbus Sans", "DejaVu Sans"};
    if (face == "Consolas") return {"Consolas", "DejaVu Sans Mono", "Liberation Mono", "Noto Mono"};
    return {face};
}

QFont PixelFont(const QString& face, int px, bool bold = false, bool underline = false) {
    QFont f;
    f.setFamilies(Faces(face));
    f.setStyleHint(face == "Consolas" ? QFont::TypeWriter : QFont::SansSerif);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

QFont WindowFont() { return PixelFont("MS Sans Serif", 11); }
QFont CaptionFont() { return PixelFont("Verdana", kCaptionPx, true); }

void SetColor(QWidget* w, const QColor& c, QPalette::ColorRole role = QPalette::WindowText) {
    QPalette p = w->palette();
    p.setColor(role, c);
    w->setPalette(p);
}

// Where the style draws a group's caption.
QRect CaptionRect(const QGroupBox* g) {
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.textAlignment = g->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
}

// True when the control shows its whole text within its box.
bool TextFits(const QWidget* w) {
    if (auto* g = qobject_cast<const QGroupBox*>(w)) {
        const QRect caption = CaptionRect(g);
        return caption.right() < g->width() - 2 && caption.width() >= g->fontMetrics().boundingRect(g->title()).width();
    }
    const QSize hint = w->sizeHint();
    // A check box's hint includes a focus frame taller than its 13-px box: only its width counts.
    if (qobject_cast<const QCheckBox*>(w)) return hint.width() <= w->width();
    // A flat button's hint adds generous padding; its text only needs the 3-px frame margins.
    if (auto* b = qobject_cast<const QToolButton*>(w))
        return b->fontMetrics().horizontalAdvance(b->text()) + 6 <= b->width() && hint.height() <= b->height() + 4;
    return hint.width() <= w->width() && hint.height() <= w->height();
}

// Shrinks the font of each control a pixel at a time until its text fits, then gives all
// of them the smallest size any of them needed, so that siblings keep one look.
void FitTogether(const std::vector<QWidget*>& controls) {
    int px = 1000;
    for (QWidget* w : controls) {
        QFont f = w->font();
        while (!TextFits(w) && f.pixelSize() > kSmallestPx) {
            f.setPixelSize(f.pixelSize() - 1);
            w->setFont(f);
        }
        px = std::min(px, f.pixelSize());
    }
    for (QWidget* w : controls) {
        QFont f = w->font();
        f.setPixelSize(px);
        w->setFont(f);
    }
}

// Children of a captioned group keep the window font: the caption font is the group's own.
void KeepWindowFontInside(QGroupBox* group) {
    for (QObject* o : group->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w) continue;
        if (auto* g = qobject_cast<QGroupBox*>(w)) {
            KeepWindowFontInside(g);
        } else if (!w->testAttribute(Qt::WA_SetFont)) {
            w->setFont(WindowFont());
        }
    }
}

}  // namespace

void TForm1::BuildLayout() {
    setObjectName("Form1");
    setFont(WindowFont());
    setFixedSize(kClientWidth, kClientHeight);
    // Single fixed border with the close box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle("OrvelTool");
    {
        QPalette p = palette();
        p.setColor(QPalette::Window, QApplication::palette("QMenuBar").color(QPalette::Window));
        setPalette(p);
        setAutoFillBackground(true);
    }
    ImageList1 = {UsbPlugGlyph(true), UsbPlugGlyph(false)};
    setWindowIcon(ImageList1[0]);

    std::vector<QWidget*> texts;          // controls whose text must fit, each on its own
    std::vector<QWidget*> groupCaptions;  // the condition groups' captions
    std::vector<QWidget*> subCaptions;    // " ALERTA BUZZER ", " REGISTRAR EVENTO ", ...

    auto group = [](QWidget* parent, const char* name, const QString& caption, QRect r) {
        auto* g = new QGroupBox(caption, parent);
        g->setObjectName(name);
        g->setGeometry(r);
        return g;
    };
    auto captionGroup = [&](QWidget* parent, const char* name, const QString& caption, QRect r, const QColor& c) {
        QGroupBox* g = group(parent, name, caption, r);
        g->setFont(CaptionFont());
        SetColor(g, c);
        return g;
    };
    // A label in a fixed box; the text is fitted to the box afterwards.
    auto label = [&](QWidget* parent, const char* name, const QString& text, QRect r,
                     Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter, const QColor& c = kGray) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(name);
        l->setFont(WindowFont());
        SetColor(l, c);
        l->setGeometry(r);
        l->setAlignment(align);
        texts.push_back(l);
        return l;
    };
    // A label that sizes itself to its text, as the header's links and captions do.
    auto clickLabel = [](QWidget* parent, const char* name, const QString& text, int x, int y, const QFont& f,
                         const QColor& c) {
        auto* l = new ClickLabel(text, parent);
        l->setObjectName(name);
        l->setFont(f);
        SetColor(l, c);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    auto edit = [](QWidget* parent, const char* name, QRect r, int maxLength) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(name);
        e->setFont(WindowFont());
        SetColor(e, kBlack, QPalette::Text);
        e->setGeometry(r);
        if (maxLength > 0) e->setValidator(new TypingLimit(maxLength, e));
        return e;
    };
    // Arrows right of their edit, 24 high: the start-up tidy-up lifts them 3 px so that they
    // straddle the edit.
    auto upDown = [](QWidget* parent, const char* name, QLineEdit* e, int min, int max, int pos, bool keys) {
        auto* u = new UpDown(parent, e, min, max, pos, keys);
        u->setObjectName(name);
        u->setGeometry(e->x() + e->width(), e->y(), 16, 24);
        e->setText(QString::number(pos));
        return u;
    };
    // An option box with its text left of the box, as the design has them.
    auto option = [&](QWidget* parent, const char* name, const QString& text, QRect r) {
        auto* c = new QCheckBox(text, parent);
        c->setObjectName(name);
        c->setFont(WindowFont());
        SetColor(c, kGray);
        c->setLayoutDirection(Qt::RightToLeft);
        c->setGeometry(r);
        texts.push_back(c);
        return c;
    };
    auto dropDown = [](QWidget* parent, const char* name, QRect r) {
        auto* d = new DropDownList(parent);
        d->setObjectName(name);
        d->setFont(WindowFont());
        d->setGeometry(r);
        return d;
    };

    // ------------------------------------------------------------------ header
    GB_Header = group(this, "GB_Header", QString(), QRect(-1, -6, 560, 152));
    const QFont linkFont = PixelFont("Verdana", 11, false, true);
    L_Msg = clickLabel(GB_Header, "L_Msg", QString(), 5, 10, linkFont, kGray);
    L_Msg->resize(272, QFontMetrics(linkFont).height());  // room for the update check's messages
    L_Site = clickLabel(GB_Header, "L_Site", SiteAddress(), 282, 10, linkFont, kGray);
    Log = new QTextEdit(GB_Header);
    Log->setObjectName("Log");
    Log->setGeometry(5, 27, 460, 106);
    Log->setReadOnly(true);
    Log->setAcceptRichText(false);
    Log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Log->setFont(PixelFont("Consolas", 12, true));
    SetColor(Log, kBlack, QPalette::Text);
    ComboBox1 = dropDown(GB_Header, "ComboBox1", QRect(472, 27, 80, 19));
    ButtonVCP = new SpeedButton(GB_Header, /*latching=*/true);
    ButtonVCP->setObjectName("ButtonVCP");
    ButtonVCP->setGeometry(472, 52, 80, 80);
    ButtonVCP->setIconSize(QSize(kGlyphPx, kGlyphPx));
    ProgressBar1 = new QProgressBar(GB_Header);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(5, 140, 548, 7);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    // ------------------------------------------------------------------ configuration editor
    GB_Config = captionGroup(this, "GB_Config", " CONFIGURAÇÕES ", QRect(5, 147, 548, 592), kGray);
    // Captions and notes stand right-aligned against their lists.
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Label1 = label(GB_Config, "Label1", "PING [s]:", QRect(2, 22, 59, 14), right);
    Label2 = label(GB_Config, "Label2", "RS232-A:", QRect(133, 22, 59, 14), right);
    Label3 = label(GB_Config, "Label3", "RS232-B:", QRect(263, 22, 59, 14), right);
    Label6 = label(GB_Config, "Label6", "envio #ORVEL", QRect(3, 36, 60, 14), right, kSilver);
    Label5 = label(GB_Config, "Label5", "rastreador", QRect(133, 36, 59, 14), right, kSilver);
    Label4 = label(GB_Config, "Label4", "periférico", QRect(263, 36, 59, 14), right, kSilver);
    CB_PING = dropDown(GB_Config, "CB_PING", QRect(64, 25, 65, 19));
    CB_A232 = dropDown(GB_Config, "CB_A232", QRect(195, 25, 65, 19));
    CB_A232->setEnabled(false);
    {
        QPalette p = CB_A232->palette();
        const QColor light3d = p.color(QPalette::Midlight);
        for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) p.setColor(g, QPalette::Button, light3d);
        CB_A232->setPalette(p);
    }
    CB_B232 = dropDown(GB_Config, "CB_B232", QRect(325, 25, 65, 19));
    B_SetConfig = new SpeedButton(GB_Config);
    B_SetConfig->setObjectName("B_SetConfig");
    B_SetConfig->setText("CONFIGURAR");
    B_SetConfig->setFont(PixelFont("Arial", 11));
    B_SetConfig->setGeometry(400, 12, 140, 48);
    B_SetConfig->setEnabled(false);
    B_SetRotaval = new SpeedButton(GB_Config);
    B_SetRotaval->setObjectName("B_SetRotaval");
    B_SetRotaval->setAutoRaise(true);
    B_SetRotaval->setGeometry(5, 55, 50, 15);
    B_SetDefaults = new SpeedButton(GB_Config);
    B_SetDefaults->setObjectName("B_SetDefaults");
    B_SetDefaults->setText("preencher valores padrão");
    B_SetDefaults->setGeometry(64, 55, 110, 15);
    B_RemConfig = new SpeedButton(GB_Config);
    B_RemConfig->setObjectName("B_RemConfig");
    B_RemConfig->setText("listar comandos de configuração remota");
    B_RemConfig->setGeometry(195, 55, 170, 15);
    for (SpeedButton* b : {B_SetDefaults, B_RemConfig}) {
        b->setAutoRaise(true);
        b->setFont(PixelFont("Tahoma", 9));
        SetColor(b, kGray, QPalette::ButtonText);
        texts.push_back(b);
    }
    texts.push_back(B_SetConfig);

    auto conditionGroup = [&](const char* name, const QString& caption, QRect r) {
        QGroupBox* g = captionGroup(GB_Config, name, caption, r, kGray);
        groupCaptions.push_back(g);
        return g;
    };
    GB_VMX = conditionGroup("GB_VMX", " VELOCIDADE ", QRect(10, 78, 249, 150));
    GB_ACP = conditionGroup("GB_ACP", " ACELERAÇÃO (aceleração brusca) ", QRect(268, 78, 270, 73));
    GB_ACN = conditionGroup("GB_ACN", " DESACELERAÇÃO (frenagem brusca) ", QRect(268, 155, 270, 73));
    GB_VCH = conditionGroup("GB_VCH", " VELOCIDADE NA CHUVA ", QRect(10, 238, 249, 150));
    GB_RPX = conditionGroup("GB_RPX", " ROTAÇÃO DO MOTOR ", QRect(268, 238, 270, 150));
    GB_BGL = conditionGroup("GB_BGL", " CONDUÇÃO DESENGRENADA (banguela) ", QRect(10, 398, 249, 183));
    GB_OSC = conditionGroup("GB_OSC", " OCIOSIDADE DO MOTOR (funcionando parado) ", QRect(268, 398, 270, 183));

    // Inside each group: captions right-aligned against a column of edits with their arrows
    // along the right side (11 px margin, as in the engine-brake group), the buzzer and
    // event sub-groups side by side at the bottom.
    struct Field {
        QLabel** label;
        const char* labelName;
        QString text;
        QLineEdit** edit;
        const char* editName;
        UpDown** ud;
        const char* udName;
        int maxLength, min, max, start;
        bool keys;
        int top;
    };
    auto fields = [&](QGroupBox* g, std::initializer_list<Field> list) {
        const int editX = g->width() - 59;
        for (const Field& f : list) {
            *f.label = label(g, f.labelName, f.text, QRect(6, f.top, editX - 10, 21), right);
            *f.edit = edit(g, f.editName, QRect(editX, f.top, 32, 21), f.maxLength);
            *f.ud = upDown(g, f.udName, *f.edit, f.min, f.max, f.start, f.keys);
        }
    };
    struct Options {
        const char *bzName, *evName;
        QGroupBox **bz, **ev;
        const char *inName, *outName, *whName, *evInName, *evOutName;
        QCheckBox **in, **out, **wh, **evIn, **evOut;
    };
    auto optionGroups = [&](QGroupBox* g, const Options& o) {
        const int w = (g->width() - 24) / 2;
        const int top = g->height() - 76;
        *o.bz = captionGroup(g, o.bzName, " ALERTA BUZZER ", QRect(8, top, w, 70), kSilver);
        *o.ev = captionGroup(g, o.evName, " REGISTRAR EVENTO ", QRect(16 + w, top, w, 70), kSilver);
        subCaptions.push_back(*o.bz);
        subCaptions.push_back(*o.ev);
        const int boxW = w - 16;
        *o.in = option(*o.bz, o.inName, "Entrada", QRect(8, 19, boxW, 15));
        *o.out = option(*o.bz, o.outName, "Saída", QRect(8, 34, boxW, 15));
        *o.wh = option(*o.bz, o.whName, "Durante", QRect(8, 49, boxW, 15));
        *o.evIn = option(*o.ev, o.evInName, "Entrada", QRect(8, 19, boxW, 15));
        *o.evOut = option(*o.ev, o.evOutName, "Saída", QRect(8, 34, boxW, 15));
    };

    fields(GB_VMX, {{&L_VMX, "L_VMX", "Velocidade máxima permitida [km/h]:", &ED_VMX, "ED_VMX", &UD_VMX, "UD_VMX", 3,
                     1, 250, 120, false, 20},
                    {&L_TVMX, "L_TVMX", "Tempo validação [segundos]:", &ED_TVMX, "ED_TVMX", &UD_TVMX, "UD_TVMX", 2, 0,
                     20, 5, true, 46}});
    optionGroups(GB_VMX, {"GB_VMX_BZ", "GB_VMX_EV", &GB_VMX_BZ, &GB_VMX_EV, "CB_BZ_VMX_IN", "CB_BZ_VMX_OUT",
                          "CB_BZ_VMX_WH", "CB_EV_VMX_IN", "CB_EV_VMX_OUT", &CB_BZ_VMX_IN, &CB_BZ_VMX_OUT, &CB_BZ_VMX_WH,
                          &CB_EV_VMX_IN, &CB_EV_VMX_OUT});
    fields(GB_VCH, {{&L_VCH, "L_VCH", "Velocidade máxima permitida [km/h]:", &ED_VCH, "ED_VCH", &UD_VCH, "UD_VCH", 3,
                     1, 250, 90, false, 20},
                    {&L_TVCH, "L_TVCH", "Tempo validação [segundos]:", &ED_TVCH, "ED_TVCH", &UD_TVCH, "UD_TVCH", 2, 0,
                     20, 5, true, 46}});
    optionGroups(GB_VCH, {"GB_VCH_BZ", "GB_VCH_EV", &GB_VCH_BZ, &GB_VCH_EV, "CB_BZ_VCH_IN", "CB_BZ_VCH_OUT",
                          "CB_BZ_VCH_WH", "CB_EV_VCH_IN", "CB_EV_VCH_OUT", &CB_BZ_VCH_IN, &CB_BZ_VCH_OUT, &CB_BZ_VCH_WH,
                          &CB_EV_VCH_IN, &CB_EV_VCH_OUT});
    fields(GB_RPX, {{&L_RPX, "L_RPX", "Rotação máxima permitida [rpm]:", &ED_RPX, "ED_RPX", &UD_RPX, "UD_RPX", 4, 1000,
                     9999, 4500, false, 20},
                    {&L_TRPX, "L_TRPX", "Tempo validação [segundos]:", &ED_TRPX, "ED_TRPX", &UD_TRPX, "UD_TRPX", 2, 0,
                     20, 5, true, 46}});
    optionGroups(GB_RPX, {"GB_RPX_IN", "GB_RPX_OUT", &GB_RPX_IN, &GB_RPX_OUT, "CB_BZ_RPX_IN", "CB_BZ_RPX_OUT",
                          "CB_BZ_RPX_WH", "CB_EV_RPX_IN", "CB_EV_RPX_OUT", &CB_BZ_RPX_IN, &CB_BZ_RPX_OUT, &CB_BZ_RPX_WH,
                          &CB_EV_RPX_IN, &CB_EV_RPX_OUT});
    fields(GB_BGL, {{&L_VBGL, "L_VBGL", "Velocidade mínima validação [km/h]:", &ED_VBGL, "ED_VBGL", &UD_VBGL,
                     "UD_VBGL", 3, 1, 250, 40, false, 20},
                    {&L_RBGL, "L_RBGL", "Rotação máxima validação [rpm]:", &ED_RBGL, "ED_RBGL", &UD_RBGL, "UD_RBGL", 4,
                     300, 1500, 900, true, 46},
                    {&L_TBGL, "L_TBGL", "Tempo validação [segundos]:", &ED_TBGL, "ED_TBGL", &UD_TBGL, "UD_TBGL", 2, 0,
                     20, 5, true, 72}});
    optionGroups(GB_BGL, {"GB_BGL_IN", "GB_BGL_OUT", &GB_BGL_IN, &GB_BGL_OUT, "CB_BZ_BGL_IN", "CB_BZ_BGL_OUT",
                          "CB_BZ_BGL_WH", "CB_EV_BGL_IN", "CB_EV_BGL_OUT", &CB_BZ_BGL_IN, &CB_BZ_BGL_OUT, &CB_BZ_BGL_WH,
                          &CB_EV_BGL_IN, &CB_EV_BGL_OUT});
    // The idling captions take two lines each, one label per line.
    fields(GB_OSC, {{&L_TOSC, "L_TOSC", "Tempo máximo permitido para", &ED_TOSC, "ED_TOSC", &UD_TOSC, "UD_TOSC", 2, 1,
                     45, 10, false, 28},
                    {&L_XOSC, "L_XOSC", "Tempo de exceção para", &ED_XOSC, "ED_XOSC", &UD_XOSC, "UD_XOSC", 2, 0, 20, 7,
                     true, 66}});
    for (auto [first, second, name, text] :
         {std::tuple{L_TOSC, &L_TOSC2, "L_TOSC2", "ociosidade do motor [minutos]:"},
          std::tuple{L_XOSC, &L_XOSC2, "L_XOSC2", "manobras rápidas [segundos]:"}}) {
        const QRect r = first->geometry();
        first->setGeometry(r.x(), r.y() - 4, r.width(), 14);
        *second = label(GB_OSC, name, text, QRect(r.x(), r.y() + 10, r.width(), 14), right);
    }
    optionGroups(GB_OSC, {"GB_OSC_IN", "GB_OSC_OUT", &GB_OSC_IN, &GB_OSC_OUT, "CB_BZ_OSC_IN", "CB_BZ_OSC_OUT",
                          "CB_BZ_OSC_WH", "CB_EV_OSC_IN", "CB_EV_OSC_OUT", &CB_BZ_OSC_IN, &CB_BZ_OSC_OUT, &CB_BZ_OSC_WH,
                          &CB_EV_OSC_IN, &CB_EV_OSC_OUT});
    // The acceleration groups: one value, and one buzzer and one event box side by side.
    fields(GB_ACP, {{&L_ACP, "L_ACP", "Aceleração máxima permitida [km/h.s]:", &ED_ACP, "ED_ACP", &UD_ACP, "UD_ACP", 3,
                     1, 255, 11, false, 20}});
    CB_BZ_ACP = option(GB_ACP, "CB_BZ_ACP", "ALERTA BUZZER", QRect(4, 48, 116, 17));
    CB_EV_ACP = option(GB_ACP, "CB_EV_ACP", "REGISTRAR EVENTO", QRect(121, 48, 138, 17));
    fields(GB_ACN, {{&L_ACN, "L_ACN", "Desaceleração máxima permitida [km/h.s]:", &ED_ACN, "ED_ACN", &UD_ACN, "UD_ACN",
                     3, 1, 255, 11, false, 20}});
    CB_BZ_ACN = option(GB_ACN, "CB_BZ_ACN", "ALERTA BUZZER", QRect(4, 48, 116, 17));
    CB_EV_ACN = option(GB_ACN, "CB_EV_ACN", "REGISTRAR EVENTO", QRect(121, 48, 138, 17));

    // ------------------------------------------------------------------ production panel
    auto panelCheck = [&](const char* name, const QString& text, QRect r) {
        auto* c = new QCheckBox(text, this);
        c->setObjectName(name);
        c->setGeometry(r);
        texts.push_back(c);
        return c;
    };
    Cb_Rotaval = panelCheck("Cb_Rotaval", "Forçar configuração Rotaval", QRect(568, 0, 169, 17));
    Cb_COMAutoClose = panelCheck("Cb_COMAutoClose", "Fechar após configurar", QRect(568, 18, 145, 17));
    GB_ReleaseMode = group(this, "GB_ReleaseMode", QString(), QRect(560, 35, 289, 592));
    LogIdList = new QTextEdit(GB_ReleaseMode);
    LogIdList->setObjectName("LogIdList");
    LogIdList->setGeometry(5, 10, 278, 555);
    LogIdList->setReadOnly(true);
    LogIdList->setAcceptRichText(false);
    LogIdList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LogIdList->setFont(PixelFont("Consolas", 12, true));
    SetColor(LogIdList, kBlack, QPalette::Text);
    L_IdList = clickLabel(GB_ReleaseMode, "L_IdList", QString(), 5, 570, linkFont, kGray);
    L_Clear = clickLabel(GB_ReleaseMode, "L_Clear", "Limpar", 237, 570, linkFont, kGray);
    GroupBox2 = group(this, "GroupBox2", QString(), QRect(560, 626, 289, 113));
    const QColor scrollBarColor = QApplication::palette("QScrollBar").color(QPalette::Mid);
    Label7 = clickLabel(GroupBox2, "Label7", "USB", 5, 16, WindowFont(), scrollBarColor);
    Edit1 = edit(GroupBox2, "Edit1", QRect(5, 30, 164, 21), 0);
    Edit1->setReadOnly(true);
    Label8 = clickLabel(GroupBox2, "Label8", "QR code", 5, 60, WindowFont(), scrollBarColor);
    Edit2 = edit(GroupBox2, "Edit2", QRect(5, 74, 164, 21), 0);
    Edit2->setReadOnly(true);
    Label0 = clickLabel(GroupBox2, "Label0", "X", 176, 38, PixelFont("MS Sans Serif", 40, true),
                        palette().color(QPalette::WindowText));

    // ------------------------------------------------------------------ hidden controls
    // Beyond the right edge of even the wide window; the buttons take focus but do nothing.
    auto hiddenButton = [this](const char* name, const QString& text, QRect r) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };
    B_FwJump = hiddenButton("B_FwJump", "FwJump", QRect(872, 136, 60, 25));
    B_FwTx = hiddenButton("B_FwTx", "FwUpload", QRect(872, 168, 60, 25));
    B_GetConfig = hiddenButton("B_GetConfig", "GetConfig", QRect(872, 200, 60, 25));
    CppWebBrowser1 = new QWidget(this);
    CppWebBrowser1->setObjectName("CppWebBrowser1");
    CppWebBrowser1->setGeometry(872, 16, 209, 113);
    GB_EBK = captionGroup(this, "GB_EBK", " CONDUÇÃO EM FREIO MOTOR ", QRect(870, 262, 249, 183), kGray);
    L_VEBK = label(GB_EBK, "L_VEBK", "Velocidade mínima validação [km/h]:", QRect(10, 20, 177, 20));
    ED_VEBK = edit(GB_EBK, "ED_VEBK", QRect(190, 20, 32, 20), 3);
    UD_VEBK = upDown(GB_EBK, "UD_VEBK", ED_VEBK, 1, 250, 40, false);
    L_REBK = label(GB_EBK, "L_REBK", "Rotação mínima validação [rpm]:", QRect(25, 52, 162, 21));
    ED_REBK = edit(GB_EBK, "ED_REBK", QRect(190, 52, 32, 21), 4);
    UD_REBK = upDown(GB_EBK, "UD_REBK", ED_REBK, 300, 1500, 1200, true);
    L_TEBK = label(GB_EBK, "L_TEBK", "Tempo validação [segundos]:", QRect(45, 84, 142, 21));
    ED_TEBK = edit(GB_EBK, "ED_TEBK", QRect(190, 84, 32, 21), 0);
    UD_TEBK = upDown(GB_EBK, "UD_TEBK", ED_TEBK, 0, 20, 5, true);
    GB_EBK_IN = captionGroup(GB_EBK, "GB_EBK_IN", " ENTRADA ", QRect(8, 112, 113, 60), kSilver);
    GB_EBK_OUT = captionGroup(GB_EBK, "GB_EBK_OUT", " SAÍDA ", QRect(128, 112, 113, 60), kSilver);
    subCaptions.push_back(GB_EBK_IN);
    subCaptions.push_back(GB_EBK_OUT);
    CB_EV_EBK_IN = option(GB_EBK_IN, "CB_EV_EBK_IN", "Registrar Evento", QRect(5, 15, 103, 17));
    CB_BZ_EBK_IN = option(GB_EBK_IN, "CB_BZ_EBK_IN", "Alerta Buzzer", QRect(5, 35, 103, 17));
    CB_EV_EBK_OUT = option(GB_EBK_OUT, "CB_EV_EBK_OUT", "Registrar Evento", QRect(5, 15, 103, 17));
    CB_BZ_EBK_OUT = option(GB_EBK_OUT, "CB_BZ_EBK_OUT", "Alerta Buzzer", QRect(5, 35, 103, 17));

    // ------------------------------------------------------------------ fonts that fit
    for (QGroupBox* g : {GB_Config, GB_EBK}) KeepWindowFontInside(g);
    for (QWidget* w : texts) FitTogether({w});
    FitTogether(groupCaptions);
    FitTogether(subCaptions);
    FitTogether({GB_Config});
    FitTogether({GB_EBK});

    // ------------------------------------------------------------------ non-visual
    auto timer = [this](int ms, const char* name) {
        auto* t = new QTimer(this);
        t->setObjectName(name);
        t->setInterval(ms);
        return t;
    };
    Timer1 = timer(500, "Timer1");
    Timer2 = timer(50, "Timer2");
    Timer3 = timer(100, "Timer3");
    Timer4 = timer(1000, "Timer4");
    Timer5 = timer(10, "Timer5");
}

void TForm1::BindHandlers() {
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
    connect(Timer3, &QTimer::timeout, this, [this] { Timer3Timer(); });
    connect(Timer4, &QTimer::timeout, this, [this] { Timer4Timer(); });
    connect(Timer5, &QTimer::timeout, this, [this] { Timer5Timer(); });
    VCP.SetRxHandler([this](int count) { VCPRxChar(count); });

    new KeyPreview(this, [this](uint16_t key, bool shift, bool alt, bool ctrl) { FormKeyDown(key, shift, alt, ctrl); });

    connect(ButtonVCP, &QToolButton::clicked, this, [this] { ButtonVCPClick(); });
    ComboBox1->OnDropDown = [this] { ComboBox1DropDown(); };
    connect(Log, &QTextEdit::textChanged, this, [this] { LogChange(); });
    connect(LogIdList, &QTextEdit::textChanged, this, [this] { LogChange(); });
    L_Site->OnClick = [this] { L_SiteClick(); };
    L_Site->OnMouseEnter = [this] { L_SiteMouseEnter(); };
    L_Site->OnMouseLeave = [this] { L_SiteMouseLeave(); };
    connect(B_SetConfig, &QToolButton::clicked, this, [this] { B_SetConfigClick(); });
    connect(B_SetDefaults, &QToolButton::clicked, this, [this] { B_SetDefaultsClick(); });
    connect(B_SetRotaval, &QToolButton::clicked, this, [this] { B_SetRotavalClick(); });
    connect(B_RemConfig, &QToolButton::clicked, this, [this] { B_RemConfigClick(); });

    // A check box's click event runs on every change of state, also when the program sets it.
    auto rule = [this](QCheckBox* box, void (TForm1::*handler)()) {
        connect(box, &QCheckBox::toggled, this, [this, handler] { (this->*handler)(); });
    };
    rule(CB_BZ_VMX_WH, &TForm1::CB_BZ_VMX_WHClick);
    rule(CB_BZ_VMX_IN, &TForm1::CB_BZ_VMX_INClick);
    rule(CB_BZ_VMX_OUT, &TForm1::CB_BZ_VMX_OUTClick);
    rule(CB_BZ_VCH_WH, &TForm1::CB_BZ_VCH_WHClick);
    rule(CB_BZ_VCH_IN, &TForm1::CB_BZ_VCH_INClick);
    rule(CB_BZ_VCH_OUT, &TForm1::CB_BZ_VCH_OUTClick);
    rule(CB_BZ_RPX_WH, &TForm1::CB_BZ_RPX_WHClick);
    rule(CB_BZ_RPX_IN, &TForm1::CB_BZ_RPX_INClick);
    rule(CB_BZ_RPX_OUT, &TForm1::CB_BZ_RPX_OUTClick);
    rule(CB_BZ_OSC_WH, &TForm1::CB_BZ_OSC_WHClick);
    rule(CB_BZ_OSC_IN, &TForm1::CB_BZ_OSC_INClick);
    rule(CB_BZ_OSC_OUT, &TForm1::CB_BZ_OSC_OUTClick);
    rule(CB_BZ_BGL_WH, &TForm1::CB_BZ_BGL_WHClick);
    rule(CB_BZ_BGL_IN, &TForm1::CB_BZ_BGL_INClick);
    rule(CB_BZ_BGL_OUT, &TForm1::CB_BZ_BGL_OUTClick);

    L_Clear->OnClick = [this] { L_ClearClick(); };
    Label0->OnClick = [this] { Label0Click(); };
    Label7->OnClick = [this] { Label7Click(); };
    Label8->OnClick = [this] { Label8Click(); };
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
}

// Centred on the screen when first shown.
void TForm1::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && !centred_) {
        centred_ = true;
        if (const QScreen* s = screen()) {
            QRect frame = frameGeometry();  // the frame as far as the desktop has told it yet
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QWidget::showEvent(event);
}

}  // namespace orvel
