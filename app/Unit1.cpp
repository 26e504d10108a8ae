#include "app/Unit1.h"

#include <QCoreApplication>

namespace orvel {

TForm1::TForm1(const Platform& platform, QWidget* parent)
    : QWidget(parent), VCP(platform.port), platform_(platform), logColor_(Qt::black) {
    BuildLayout();
    BindHandlers();
    FormCreate();
}

TForm1::~TForm1() { VCP.SetRxHandler(nullptr); }

void TForm1::ProcessMessages() { QCoreApplication::processEvents(); }

}  // namespace orvel
