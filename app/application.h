#pragma once
// The application object: its title and look, and the standard exception display that
// keeps the event loop running when a handler throws.
#include <QApplication>
#include <exception>
#include <string>

namespace orvel {

constexpr const char* kApplicationTitle = "Orvel Tool";

// The message an exception shows: what() of a std::exception, empty for anything else.
std::string ExceptionMessage(std::exception_ptr error);

// Shows an exception that escaped a handler in a modal error box titled with the
// application title.
void ShowException(std::exception_ptr error);

// Sets the application title and the Fusion style, so the window looks the same on every
// desktop. The title is not made a display name, which X11 would append to the caption.
void SetUpApplication();

class OrvelApplication : public QApplication {
public:
    OrvelApplication(int& argc, char** argv);
    // Delivers events; an exception escaping a handler is shown and the loop goes on.
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace orvel
