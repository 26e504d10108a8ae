#pragma once
// Everything the window reaches the outside world through. main.cpp passes the real
// adapters, tests pass fakes; the window never builds its own.
#include <string>

#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "platform/serial_port.h"
#include "platform/web.h"

namespace orvel {

struct Platform {
    SerialPort& port;
    MessageBoxes& boxes;
    Clock& clock;
    WebBrowser& web;
    Shell& shell;
    // Full path of the running executable; the start-up tidies its folder.
    std::string exePath;
};

}  // namespace orvel
