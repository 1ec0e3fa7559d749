#pragma once

#include <QApplication>

// The program: makes the Desktop folder the current directory, so relative names such as
// "nv.bin" land there, then runs the main window until it ends.
class CHUBQUILLApp : public QApplication {
    Q_OBJECT
public:
    CHUBQUILLApp(int& argc, char** argv);

    int InitInstance();
};

// True when a desktop session is there to show windows in (or a platform was chosen).
bool HasDesktopSession();

// Makes the user's Desktop folder the current directory; silent when there is none.
void EnterDesktopFolder();
