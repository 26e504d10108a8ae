// The window's fixed design: every control with its place, text and look, and the
// handlers bound to them.
#include <QCheckBox>
#include <QFont>

#include "app/Unit1.h"

namespace orvel {

namespace {

QFont PixelFont(const QString& family, int px, bool bold = false, bool underline = false) {
    QFont f(family);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

void SetColor(QWidget* w, const QColor& c, QPalette::ColorRole role = QPalette::WindowText) {
    QPalette p = w->palette();
    p.setColor(role, c);
    w->setPalette(p);
}

const QColor kGray(128, 128, 128);
const QColor kSilver(192, 192, 192);

}  // namespace

void TForm1::BuildLayout() {
    setObjectName("Form1");
    setFont(PixelFont("MS Sans Serif", 11));
    setFixedSize(557, 742);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle("OrvelTool");

    auto group = [](QWidget* parent, const char* name, const QString& caption, QRect r) {
        auto* g = new QGroupBox(caption, parent);
        g->setObjectName(name);
        g->setGeometry(r);
        return g;
    };
    auto configGroup = [&](QWidget* parent, const char* name, const QString& caption, QRect r) {
        QGroupBox* g = group(parent, name, caption, r);
        g->setFont(PixelFont("Verdana", 9 + 3, true));  // 9 pt bold
        SetColor(g, kGray);
        return g;
    };
    auto label = [](QWidget* parent, const char* name, const QString& text, int x, int y) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(name);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    auto clickLabel = [](QWidget* parent, const char* name, const QString& text, int x, int y) {
        auto* l = new ClickLabel(text, parent);
        l->setObjectName(name);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    auto edit = [](QWidget* parent, const char* name, QRect r, int maxLength) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(name);
        e->setGeometry(r);
        e->setMaxLength(maxLength);
        return e;
    };
    auto upDown = [](QWidget* parent, const char* name, QLineEdit* e, int min, int max, int pos, bool keys) {
        auto* u = new UpDown(parent, e, min, max, pos, keys);
        u->setObjectName(name);
        u->setGeometry(e->x() + e->width(), e->y(), 16, 24);
        e->setText(QString::number(pos));
        return u;
    };
    auto check = [](QWidget* parent, const char* name, const QString& text, int x, int y, int w = 100) {
        auto* c = new QCheckBox(text, parent);
        c->setObjectName(name);
        c->setGeometry(x, y, w, 17);
        return c;
    };

    // ------------------------------------------------------------------ header
    GB_Header = group(this, "GB_Header", QString(), QRect(-1, -6, 560, 152));
    L_Msg = clickLabel(GB_Header, "L_Msg", QString(), 5, 10);
    L_Msg->setFont(PixelFont("Verdana", 11, false, true));
    SetColor(L_Msg, kGray);
    L_Site = clickLabel(GB_Header, "L_Site", SiteAddress(), 282, 10);
    L_Site->setFont(PixelFont("Verdana", 11, false, true));
    SetColor(L_Site, kGray);
    Log = new QTextEdit(GB_Header);
    Log->setObjectName("Log");
    Log->setGeometry(5, 27, 460, 106);
    Log->setReadOnly(true);
    Log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Log->setFont(PixelFont("Consolas", 12, true));
    ComboBox1 = new DropDownList(GB_Header);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setGeometry(472, 27, 80, 19);
    ButtonVCP = new SpeedButton(GB_Header, /*latching=*/true);
    ButtonVCP->setObjectName("ButtonVCP");
    ButtonVCP->setGeometry(472, 52, 80, 80);
    ButtonVCP->setIconSize(QSize(51, 51));
    ProgressBar1 = new QProgressBar(GB_Header);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(5, 140, 548, 7);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);

    // ------------------------------------------------------------------ configuration editor
    GB_Config = configGroup(this, "GB_Config", " CONFIGURAÇÕES ", QRect(5, 147, 548, 592));
    Label1 = label(GB_Config, "Label1", "PING [s]:", 10, 22);
    Label2 = label(GB_Config, "Label2", "RS232-A:", 141, 22);
    Label3 = label(GB_Config, "Label3", "RS232-B:", 271, 22);
    Label6 = label(GB_Config, "Label6", "envio #ORVEL", 5, 36);
    Label5 = label(GB_Config, "Label5", "rastreador", 141, 36);
    Label4 = label(GB_Config, "Label4", "periférico", 271, 36);
    for (QLabel* l : {Label6, Label5, Label4}) SetColor(l, kSilver);
    CB_PING = new DropDownList(GB_Config);
    CB_PING->setObjectName("CB_PING");
    CB_PING->setGeometry(64, 25, 65, 19);
    CB_A232 = new DropDownList(GB_Config);
    CB_A232->setObjectName("CB_A232");
    CB_A232->setGeometry(195, 25, 65, 19);
    CB_A232->setEnabled(false);
    CB_B232 = new DropDownList(GB_Config);
    CB_B232->setObjectName("CB_B232");
    CB_B232->setGeometry(325, 25, 65, 19);
    B_SetConfig = new SpeedButton(GB_Config);
    B_SetConfig->setObjectName("B_SetConfig");
    B_SetConfig->setText("CONFIGURAR");
    B_SetConfig->setFont(PixelFont("Arial", 11 + 4));
    B_SetConfig->setGeometry(400, 12, 140, 48);
    B_SetConfig->setEnabled(false);
    B_SetRotaval = new SpeedButton(GB_Config);
    B_SetRotaval->setObjectName("B_SetRotaval");
    B_SetRotaval->setAutoRaise(true);
    B_SetRotaval->setGeometry(5, 55, 50, 15);
    B_SetDefaults = new SpeedButton(GB_Config);
    B_SetDefaults->setObjectName("B_SetDefaults");
    B_SetDefaults->setAutoRaise(true);
    B_SetDefaults->setText("preencher valores padrão");
    B_SetDefaults->setGeometry(64, 55, 110, 15);
    B_RemConfig = new SpeedButton(GB_Config);
    B_RemConfig->setObjectName("B_RemConfig");
    B_RemConfig->setAutoRaise(true);
    B_RemConfig->setText("listar comandos de configuração remota");
    B_RemConfig->setGeometry(195, 55, 170, 15);
    for (SpeedButton* b : {B_SetDefaults, B_RemConfig}) {
        b->setFont(PixelFont("Tahoma", 9 + 3));
        SetColor(b, kGray, QPalette::ButtonText);
    }

    GB_VMX = configGroup(GB_Config, "GB_VMX", " VELOCIDADE ", QRect(10, 78, 249, 150));
    GB_ACP = configGroup(GB_Config, "GB_ACP", " ACELERAÇÃO (aceleração brusca) ", QRect(268, 78, 270, 73));
    GB_ACN = configGroup(GB_Config, "GB_ACN", " DESACELERAÇÃO (frenagem brusca) ", QRect(268, 155, 270, 73));
    GB_VCH = configGroup(GB_Config, "GB_VCH", " VELOCIDADE NA CHUVA ", QRect(10, 238, 249, 150));
    GB_RPX = configGroup(GB_Config, "GB_RPX", " ROTAÇÃO DO MOTOR ", QRect(268, 238, 270, 150));
    GB_BGL = configGroup(GB_Config, "GB_BGL", " CONDUÇÃO DESENGRENADA (banguela) ", QRect(10, 398, 249, 183));
    GB_OSC = configGroup(GB_Config, "GB_OSC", " OCIOSIDADE DO MOTOR (funcionando parado) ", QRect(268, 398, 270, 183));

    // Two rows of value fields, then the buzzer and event sub-groups side by side.
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
    };
    auto fields = [&](QGroupBox* g, int editX, std::initializer_list<Field> list) {
        int y = 20;
        for (const Field& f : list) {
            *f.label = label(g, f.labelName, f.text, 10, y + 3);
            *f.edit = edit(g, f.editName, QRect(editX, y, 32, 21), f.maxLength);
            *f.ud = upDown(g, f.udName, *f.edit, f.min, f.max, f.start, f.keys);
            y += 32;
        }
    };
    auto optionGroups = [&](QGroupBox* g, int y, const char* bzName, QGroupBox** bz, const char* evName,
                            QGroupBox** ev, QCheckBox** in, const char* inName, QCheckBox** out,
                            const char* outName, QCheckBox** wh, const char* whName, QCheckBox** evIn,
                            const char* evInName, QCheckBox** evOut, const char* evOutName) {
        const int w = (g->width() - 24) / 2;
        *bz = group(g, bzName, " ALERTA BUZZER ", QRect(8, y, w, 64));
        *ev = group(g, evName, " REGISTRAR EVENTO ", QRect(16 + w, y, w, 64));
        for (QGroupBox* s : {*bz, *ev}) {
            s->setFont(PixelFont("Verdana", 9 + 3, true));
            SetColor(s, kSilver);
        }
        *in = check(*bz, inName, "Entrada", 8, 14);
        *out = check(*bz, outName, "Saída", 8, 30);
        *wh = check(*bz, whName, "Durante", 8, 46);
        *evIn = check(*ev, evInName, "Entrada", 8, 14);
        *evOut = check(*ev, evOutName, "Saída", 8, 30);
    };

    fields(GB_VMX, 190,
           {{&L_VMX, "L_VMX", "Velocidade máxima permitida [km/h]:", &ED_VMX, "ED_VMX", &UD_VMX, "UD_VMX", 3, 1, 250, 120, false},
            {&L_TVMX, "L_TVMX", "Tempo validação [segundos]:", &ED_TVMX, "ED_TVMX", &UD_TVMX, "UD_TVMX", 2, 0, 20, 5, true}});
    optionGroups(GB_VMX, 80, "GB_VMX_BZ", &GB_VMX_BZ, "GB_VMX_EV", &GB_VMX_EV, &CB_BZ_VMX_IN, "CB_BZ_VMX_IN",
                 &CB_BZ_VMX_OUT, "CB_BZ_VMX_OUT", &CB_BZ_VMX_WH, "CB_BZ_VMX_WH", &CB_EV_VMX_IN, "CB_EV_VMX_IN",
                 &CB_EV_VMX_OUT, "CB_EV_VMX_OUT");
    fields(GB_VCH, 190,
           {{&L_VCH, "L_VCH", "Velocidade máxima permitida [km/h]:", &ED_VCH, "ED_VCH", &UD_VCH, "UD_VCH", 3, 1, 250, 90, false},
            {&L_TVCH, "L_TVCH", "Tempo validação [segundos]:", &ED_TVCH, "ED_TVCH", &UD_TVCH, "UD_TVCH", 2, 0, 20, 5, true}});
    optionGroups(GB_VCH, 80, "GB_VCH_BZ", &GB_VCH_BZ, "GB_VCH_EV", &GB_VCH_EV, &CB_BZ_VCH_IN, "CB_BZ_VCH_IN",
                 &CB_BZ_VCH_OUT, "CB_BZ_VCH_OUT", &CB_BZ_VCH_WH, "CB_BZ_VCH_WH", &CB_EV_VCH_IN, "CB_EV_VCH_IN",
                 &CB_EV_VCH_OUT, "CB_EV_VCH_OUT");
    fields(GB_RPX, 210,
           {{&L_RPX, "L_RPX", "Rotação máxima permitida [rpm]:", &ED_RPX, "ED_RPX", &UD_RPX, "UD_RPX", 4, 1000, 9999, 4500, false},
            {&L_TRPX, "L_TRPX", "Tempo validação [segundos]:", &ED_TRPX, "ED_TRPX", &UD_TRPX, "UD_TRPX", 2, 0, 20, 5, true}});
    optionGroups(GB_RPX, 80, "GB_RPX_IN", &GB_RPX_IN, "GB_RPX_OUT", &GB_RPX_OUT, &CB_BZ_RPX_IN, "CB_BZ_RPX_IN",
                 &CB_BZ_RPX_OUT, "CB_BZ_RPX_OUT", &CB_BZ_RPX_WH, "CB_BZ_RPX_WH", &CB_EV_RPX_IN, "CB_EV_RPX_IN",
                 &CB_EV_RPX_OUT, "CB_EV_RPX_OUT");
    fields(GB_BGL, 190,
           {{&L_VBGL, "L_VBGL", "Velocidade mínima validação [km/h]:", &ED_VBGL, "ED_VBGL", &UD_VBGL, "UD_VBGL", 3, 1, 250, 40, false},
            {&L_RBGL, "L_RBGL", "Rotação máxima validação [rpm]:", &ED_RBGL, "ED_RBGL", &UD_RBGL, "UD_RBGL", 4, 300, 1500, 900, true},
            {&L_TBGL, "L_TBGL", "Tempo validação [segundos]:", &ED_TBGL, "ED_TBGL", &UD_TBGL, "UD_TBGL", 2, 0, 20, 5, true}});
    optionGroups(GB_BGL, 112, "GB_BGL_IN", &GB_BGL_IN, "GB_BGL_OUT", &GB_BGL_OUT, &CB_BZ_BGL_IN, "CB_BZ_BGL_IN",
                 &CB_BZ_BGL_OUT, "CB_BZ_BGL_OUT", &CB_BZ_BGL_WH, "CB_BZ_BGL_WH", &CB_EV_BGL_IN, "CB_EV_BGL_IN",
                 &CB_EV_BGL_OUT, "CB_EV_BGL_OUT");
    fields(GB_OSC, 210,
           {{&L_TOSC, "L_TOSC", "Tempo máximo permitido para\nociosidade do motor [minutos]:", &ED_TOSC, "ED_TOSC", &UD_TOSC, "UD_TOSC", 2, 1, 45, 10, false},
            {&L_XOSC, "L_XOSC", "Tempo de exceção para\nmanobras rápidas [segundos]:", &ED_XOSC, "ED_XOSC", &UD_XOSC, "UD_XOSC", 2, 0, 20, 7, true}});
    optionGroups(GB_OSC, 112, "GB_OSC_IN", &GB_OSC_IN, "GB_OSC_OUT", &GB_OSC_OUT, &CB_BZ_OSC_IN, "CB_BZ_OSC_IN",
                 &CB_BZ_OSC_OUT, "CB_BZ_OSC_OUT", &CB_BZ_OSC_WH, "CB_BZ_OSC_WH", &CB_EV_OSC_IN, "CB_EV_OSC_IN",
                 &CB_EV_OSC_OUT, "CB_EV_OSC_OUT");
    fields(GB_ACP, 210,
           {{&L_ACP, "L_ACP", "Aceleração máxima permitida [km/h.s]:", &ED_ACP, "ED_ACP", &UD_ACP, "UD_ACP", 3, 1, 255, 11, false}});
    CB_BZ_ACP = check(GB_ACP, "CB_BZ_ACP", "ALERTA BUZZER", 10, 48, 120);
    CB_EV_ACP = check(GB_ACP, "CB_EV_ACP", "REGISTRAR EVENTO", 135, 48, 130);
    fields(GB_ACN, 210,
           {{&L_ACN, "L_ACN", "Desaceleração máxima permitida [km/h.s]:", &ED_ACN, "ED_ACN", &UD_ACN, "UD_ACN", 3, 1, 255, 11, false}});
    CB_BZ_ACN = check(GB_ACN, "CB_BZ_ACN", "ALERTA BUZZER", 10, 48, 120);
    CB_EV_ACN = check(GB_ACN, "CB_EV_ACN", "REGISTRAR EVENTO", 135, 48, 130);
    L_TOSC2 = nullptr;
    L_XOSC2 = nullptr;

    // ------------------------------------------------------------------ production panel
    Cb_Rotaval = check(this, "Cb_Rotaval", "Forçar configuração Rotaval", 568, 0, 169);
    Cb_COMAutoClose = check(this, "Cb_COMAutoClose", "Fechar após configurar", 568, 18, 145);
    GB_ReleaseMode = group(this, "GB_ReleaseMode", QString(), QRect(560, 35, 289, 592));
    LogIdList = new QTextEdit(GB_ReleaseMode);
    LogIdList->setObjectName("LogIdList");
    LogIdList->setGeometry(5, 10, 278, 555);
    LogIdList->setReadOnly(true);
    LogIdList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LogIdList->setFont(PixelFont("Consolas", 12, true));
    L_IdList = clickLabel(GB_ReleaseMode, "L_IdList", QString(), 5, 570);
    L_Clear = clickLabel(GB_ReleaseMode, "L_Clear", "Limpar", 237, 570);
    for (ClickLabel* l : {L_IdList, L_Clear}) {
        l->setFont(PixelFont("Verdana", 11, false, true));
        SetColor(l, kGray);
    }
    GroupBox2 = group(this, "GroupBox2", QString(), QRect(560, 626, 289, 113));
    Label7 = clickLabel(GroupBox2, "Label7", "USB", 5, 16);
    Edit1 = edit(GroupBox2, "Edit1", QRect(5, 30, 164, 21), 32767);
    Edit1->setReadOnly(true);
    Label8 = clickLabel(GroupBox2, "Label8", "QR code", 5, 60);
    Edit2 = edit(GroupBox2, "Edit2", QRect(5, 74, 164, 21), 32767);
    Edit2->setReadOnly(true);
    Label0 = clickLabel(GroupBox2, "Label0", "X", 176, 38);
    Label0->setFont(PixelFont("MS Sans Serif", 40, true));

    // ------------------------------------------------------------------ hidden controls
    B_FwJump = new QPushButton("FwJump", this);
    B_FwJump->setObjectName("B_FwJump");
    B_FwJump->setGeometry(872, 136, 60, 25);
    B_FwTx = new QPushButton("FwUpload", this);
    B_FwTx->setObjectName("B_FwTx");
    B_FwTx->setGeometry(872, 168, 60, 25);
    B_GetConfig = new QPushButton("GetConfig", this);
    B_GetConfig->setObjectName("B_GetConfig");
    B_GetConfig->setGeometry(872, 200, 60, 25);
    CppWebBrowser1 = new QWidget(this);
    CppWebBrowser1->setObjectName("CppWebBrowser1");
    CppWebBrowser1->setGeometry(872, 16, 209, 113);
    GB_EBK = configGroup(this, "GB_EBK", " CONDUÇÃO EM FREIO MOTOR ", QRect(870, 262, 249, 183));
    L_VEBK = label(GB_EBK, "L_VEBK", "Velocidade mínima validação [km/h]:", 10, 23);
    ED_VEBK = edit(GB_EBK, "ED_VEBK", QRect(190, 20, 32, 20), 3);
    UD_VEBK = upDown(GB_EBK, "UD_VEBK", ED_VEBK, 1, 250, 40, false);
    L_REBK = label(GB_EBK, "L_REBK", "Rotação mínima validação [rpm]:", 25, 55);
    ED_REBK = edit(GB_EBK, "ED_REBK", QRect(190, 52, 32, 21), 4);
    UD_REBK = upDown(GB_EBK, "UD_REBK", ED_REBK, 300, 1500, 1200, true);
    L_TEBK = label(GB_EBK, "L_TEBK", "Tempo validação [segundos]:", 45, 87);
    ED_TEBK = edit(GB_EBK, "ED_TEBK", QRect(190, 84, 32, 21), 32767);
    UD_TEBK = upDown(GB_EBK, "UD_TEBK", ED_TEBK, 0, 20, 5, true);
    GB_EBK_IN = group(GB_EBK, "GB_EBK_IN", " ENTRADA ", QRect(8, 112, 113, 60));
    GB_EBK_OUT = group(GB_EBK, "GB_EBK_OUT", " SAÍDA ", QRect(128, 112, 113, 60));
    CB_EV_EBK_IN = check(GB_EBK_IN, "CB_EV_EBK_IN", "Registrar Evento", 5, 15);
    CB_BZ_EBK_IN = check(GB_EBK_IN, "CB_BZ_EBK_IN", "Alerta Buzzer", 5, 35);
    CB_EV_EBK_OUT = check(GB_EBK_OUT, "CB_EV_EBK_OUT", "Registrar Evento", 5, 15);
    CB_BZ_EBK_OUT = check(GB_EBK_OUT, "CB_BZ_EBK_OUT", "Alerta Buzzer", 5, 35);

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

}  // namespace orvel
